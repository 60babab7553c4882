#pragma once

#include "cli/Orloctl.h"
#include "sim/Simulator.h"
#include "tests/support/TempDirectory.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace orlo::cli {

using namespace std::chrono_literals;

struct Outcome {
    int status = 0;
    std::string out;
    std::string err;

    std::string LastErrorLine() const {
        std::istringstream in(err);
        std::string line;
        std::string last;
        while (std::getline(in, line)) {
            last = line;
        }
        return last;
    }
};

class OrloctlTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    std::unique_ptr<sim::Simulator> simulator;

    void StartSimulator(const std::string& faults = "", bool pty = false) {
        sim::SimConfig config;
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        config.pty = pty;
        config.throttle = false;
        config.restartSilence = 300ms;
        if (!faults.empty()) {
            std::string error;
            ASSERT_TRUE(config.faults.add(faults, error)) << error;
        }
        simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        ASSERT_TRUE(simulator->start(error)) << error;
    }
    void SetUp() override { StartSimulator(); }

    Outcome Orloctl(std::vector<std::string> args) {
        std::vector<std::string> full = {"--lan", "127.0.0.1:" + std::to_string(simulator->tcpPort()),
                                         "--dir", directory.Path().string()};
        full.insert(full.end(), args.begin(), args.end());
        return Plain(full);
    }
    static Outcome Plain(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunOrloctl(args, out, err);
        return {status, out.str(), err.str()};
    }
    std::string File(const char* name) const { return (directory.Path() / name).string(); }

    std::chrono::steady_clock::duration took{};
};

} // namespace orlo::cli
