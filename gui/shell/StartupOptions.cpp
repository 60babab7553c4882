#include "gui/shell/StartupOptions.h"

#include <QCommandLineParser>

namespace orlo {
namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption demo{QStringLiteral("demo"), QStringLiteral("Connect to the built-in simulator.")};
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QStringLiteral("Save a PNG of the main window to <file> and quit."),
                                  QStringLiteral("file")};
    QCommandLineOption log{QStringLiteral("log"),
                           QStringLiteral("Write the command log CmdLog.log without an \"outputlog\" file.")};
    QCommandLineOption language{
        QStringLiteral("lang"),
        QStringLiteral("Language of the windows: en or ja (default: the system locale; "
                       "Japanese for a Japanese, C or POSIX locale)."),
        QStringLiteral("en|ja")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")};

    Parser() {
        parser.setApplicationDescription(QStringLiteral("Orlo-X1 set-up tool"));
        parser.addOption(demo);
        parser.addOption(screenshot);
        parser.addOption(log);
        parser.addOption(language);
        parser.addOption(help);
    }
};

} // namespace

StartupOptions ParseStartupOptions(const QStringList& arguments) {
    Parser p;
    // parse() reports unknown options but still reads the known ones.
    p.parser.parse(arguments);
    StartupOptions options;
    options.demo = p.parser.isSet(p.demo);
    options.screenshotPath = p.parser.value(p.screenshot);
    options.commandLog = p.parser.isSet(p.log);
    options.language = p.parser.value(p.language);
    options.help = p.parser.isSet(p.help);
    return options;
}

QString StartupHelpText() {
    Parser p;
    // Qt's first line names the executable's path; the rest is the description and the options.
    return QStringLiteral("Usage: orlo-setup [options]\n") +
           p.parser.helpText().section(QLatin1Char('\n'), 1);
}

} // namespace orlo
