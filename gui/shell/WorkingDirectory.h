#pragma once

#include <QString>

namespace orlo {

// True when the program runs from an installation: its directory is <prefix>/bin beside the
// package's data directory <prefix>/share/orlo-x1. A build tree never looks like that.
bool IsInstalledProgramDirectory(const QString& programDirectory);

// The directory all relative file names of the program refer to: the program's own directory when
// it can be written to and is not an installation's bin/, otherwise userDirectory (created when
// missing). Empty when neither can be used.
QString ChooseWorkingDirectory(const QString& programDirectory, const QString& userDirectory);

// $XDG_CONFIG_HOME/orlo-x1, or ~/.config/orlo-x1 without that variable.
QString UserConfigDirectory();

// Makes the chosen directory the current directory; the chosen directory, or empty on failure.
QString EnterWorkingDirectory(const QString& programDirectory);

} // namespace orlo
