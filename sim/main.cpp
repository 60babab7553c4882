#include "sim/SimOptions.h"
#include "sim/Simulator.h"
#include "sim/StopRequest.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>

int main(int argc, char** argv) {
    using namespace orlo::sim;
    SimCommandLine cmd;
    std::string error;
    if (!parseSimCommandLine(std::vector<std::string>(argv + 1, argv + argc), cmd, error)) {
        std::cerr << "orlo-sim: " << error << "\n";
        return 2;
    }
    if (cmd.help) {
        std::cout << simUsage();
        return 0;
    }
    auto lock = std::make_shared<std::mutex>();
    const SimLogger toStandardError = [lock](const std::string& line) {
        std::lock_guard guard(*lock);
        std::cerr << "orlo-sim: " << line << "\n";
    };
    if (cmd.verbose) {
        cmd.config.log = toStandardError;
    }
    cmd.config.report = toStandardError;

    // Before any thread exists, then waited for here.
    StopRequest stopRequest;

    Simulator sim(cmd.config);
    if (!sim.start(error)) {
        std::cerr << "orlo-sim: " << error << "\n";
        return 1;
    }
    if (cmd.config.tcp) {
        std::cout << "tcp " << cmd.config.tcp->host << ":" << sim.tcpPort() << "\n";
    }
    if (cmd.config.pty) {
        std::cout << "pty " << sim.ptyPath();
        if (!cmd.config.ptyLink.empty()) {
            std::cout << " (" << cmd.config.ptyLink << ")";
        }
        std::cout << "\n";
    }
    std::cout.flush();

    stopRequest.wait();
    sim.stop();
    return 0;
}
