#include "core/settings/ModeList.h"
#include "gui/monitor/HomeDlg.h"
#include "gui/settings/CameraDlg.h"
#include "gui/settings/DetectSettingDlg.h"
#include "gui/settings/SystemDlg.h"
#include "gui/shell/MiraSettingsApp.h"
#include "gui/shell/MiraSettingsDlgBase.h"
#include "sim/Simulator.h"

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <memory>

namespace {

// The demonstration: a simulated sensor inside the process on a free loopback port.
std::unique_ptr<orlo::sim::Simulator> StartDemoSensor() {
    orlo::sim::SimConfig config;
    config.tcp = orlo::sim::TcpEndpoint{"127.0.0.1", 0};
    auto simulator = std::make_unique<orlo::sim::Simulator>(config);
    std::string error;
    if (!simulator->start(error)) {
        std::fprintf(stderr, "orlo-setup: the demonstration sensor did not start: %s\n", error.c_str());
        return nullptr;
    }
    return simulator;
}

} // namespace

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
    // Declared before the window so that it outlives the pages that talk to it.
    const std::unique_ptr<orlo::sim::Simulator> demoSensor = options.demo ? StartDemoSensor() : nullptr;
    orlo::PageFactory pages;
    pages.home = [&demoSensor](orlo::DeviceSession& session, orlo::CMiraSettingsDlgBase& window) {
        auto page = std::make_unique<orlo::CHomeDlg>(session, window);
        if (demoSensor) {
            page->ConnectOnStart("127.0.0.1", demoSensor->tcpPort());
        }
        return std::unique_ptr<orlo::CHomePageBase>(std::move(page));
    };
    const auto modeList = [] {
        const auto programDirectory = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
        return orlo::LocateModeList(programDirectory);
    };
    pages.camera = [modeList](orlo::DeviceSession& session, orlo::CMiraSettingsDlgBase& window) {
        return std::unique_ptr<orlo::CPageBase>(
            std::make_unique<orlo::CCameraDlg>(session, &window, modeList()));
    };
    pages.detection = [](orlo::DeviceSession& session, orlo::CMiraSettingsDlgBase& window) {
        // The configuration file lies in the working directory, the program's own.
        return std::unique_ptr<orlo::CPageBase>(
            std::make_unique<orlo::CDetectSettingDlg>(session, &window, "."));
    };
    pages.system = [modeList](orlo::DeviceSession& session, orlo::CMiraSettingsDlgBase& window) {
        return std::unique_ptr<orlo::CPageBase>(
            std::make_unique<orlo::CSystemDlg>(session, &window, modeList()));
    };
    orlo::CMiraSettingsApp app(std::move(pages));
    return app.InitInstance(options);
}
