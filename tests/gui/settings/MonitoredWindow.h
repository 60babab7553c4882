#pragma once

#include "gui/monitor/HomeDlg.h"
#include "tests/gui/settings/PageFixture.h"

namespace orlo::test {

// The in-process simulator and the main window with the real pages, whose monitoring page connects to
// the simulator once it is shown.
struct MonitoredWindow {
    explicit MonitoredWindow(sim::SimConfig config = {}) : simulator(WithFreeTcpPort(std::move(config))) {
        std::string error;
        started = simulator.start(error);
        fixture = std::make_unique<PageFixture>(ORLO_SAMPLE_MODE_LIST,
                                                [this](DeviceSession& session, CMiraSettingsDlgBase& window) {
                                                    auto made = std::make_unique<CHomeDlg>(session, window);
                                                    made->ConnectOnStart("127.0.0.1", simulator.tcpPort());
                                                    home = made.get();
                                                    return std::unique_ptr<CHomePageBase>(std::move(made));
                                                });
    }

    static sim::SimConfig WithFreeTcpPort(sim::SimConfig config) {
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        return config;
    }

    sim::Simulator simulator;
    bool started = false;
    CHomeDlg* home = nullptr;
    std::unique_ptr<PageFixture> fixture;
};

} // namespace orlo::test
