#include "app/MiraSettingsApp.h"
#include "app/PlaceholderPages.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const orlo::StartupOptions options = orlo::ParseStartupOptions(arguments);
    if (options.help) {
        std::fputs(qPrintable(orlo::StartupHelpText()), stdout);
        return 0;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orlo-setup"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orlo-X1"));
    orlo::CMiraSettingsApp app(orlo::PlaceholderPageFactory());
    return app.InitInstance(options);
}
