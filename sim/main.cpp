#include "sim/SimOptions.h"
#include "sim/Simulator.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <pthread.h>

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

    // Block the stop signals before any thread exists, then wait for them here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

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

    int signal = 0;
    sigwait(&stopSignals, &signal);
    sim.stop();
    return 0;
}
