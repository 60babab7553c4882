#pragma once

#include <QString>
#include <QStringList>

namespace orlo {

struct StartupOptions {
    bool demo = false;       // run against the built-in simulator
    bool commandLog = false; // write CmdLog.log without an "outputlog" file
    QString screenshotPath;  // save a picture of the main window there and quit
    QString language;        // "en" or "ja"; empty: the system locale decides
    bool help = false;
};

// Options the program does not know are ignored, so a newer command line never stops it.
StartupOptions ParseStartupOptions(const QStringList& arguments);
QString StartupHelpText();

} // namespace orlo
