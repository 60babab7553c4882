#include "cli/CommandLine.h"
#include "cli/Orloctl.h"
#include "core/device/ConnectProcedures.h"
#include "sim/Simulator.h"
#include "tests/support/PrivateNetwork.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace orlo::cli {
namespace {

constexpr int kNoPrivateNetwork = 99;
constexpr int kNoIcmp = 98;

// Runs check in a child process moved into a network of its own with loopback only, so that even a
// scan that should have been refused sends nothing out of the machine. The child's exit status:
// check's result, or kNoPrivateNetwork.
struct ScanRun {
    int status = 0;
    std::string out;
    std::string err;
};

ScanRun Scan(const std::string& range, const std::vector<std::string>& options = {}) {
    std::ostringstream out;
    std::ostringstream err;
    std::vector<std::string> args{"scan", range};
    args.insert(args.end(), options.begin(), options.end());
    const int status = RunOrloctl(args, out, err);
    return {status, out.str(), err.str()};
}

int RunInPrivateNetwork(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        std::string why;
        ::_exit(test::PrivateNetwork::Enter({}, why) ? check() : kNoPrivateNetwork);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OrloctlScan, RangesWithoutHostAddressesAreUsageErrors) {
    for (const char* range : {"0.120.7.1-5", "0.255.255.255-255", "224.0.0.1-3", "239.255.255.250-255",
                              "240.0.0.1-2", "255.255.255.255-255"}) {
        const int status = RunInPrivateNetwork([range] {
            const ScanRun run = Scan(range);
            const bool explained =
                run.err.find("orloctl: scan " + std::string(range) + ": not a range of host addresses") == 0;
            return explained && run.out.empty() ? run.status : 100;
        });
        if (status == kNoPrivateNetwork) {
            GTEST_SKIP() << "no private network namespace can be made here";
        }
        EXPECT_EQ(EXIT_USAGE, status) << range;
    }
    // Loopback stays allowed: the scan runs (or says that ICMP may not be sent).
    const int loopback = RunInPrivateNetwork([] { return Scan("127.0.0.1-2").status; });
    EXPECT_TRUE(loopback == EXIT_OK || loopback == EXIT_DEVICE_FAILED) << loopback;
}

// Simulators on 127.0.0.1 to 127.0.0.3, port 9600, in the child's own network; the third has a text
// that would clear the screen and ring the bell.
struct Sensors {
    Sensors() {
        const std::vector<std::array<std::uint8_t, 20>> texts{
            {'N', 'o', 'r', 't', 'h'}, {0x93, 0xFC, 0x8C, 0xFB}, {'X', 0x1B, '[', '2', 'J', 0x07, '\t', 'Y'}};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            sim::SimConfig config;
            config.tcp = sim::TcpEndpoint{"127.0.0." + std::to_string(i + 1), 9600};
            config.infoText = texts[i];
            simulators.push_back(std::make_unique<sim::Simulator>(config));
            std::string error;
            started = simulators.back()->start(error) && started;
        }
    }
    std::vector<std::unique_ptr<sim::Simulator>> simulators;
    bool started = true;
};

TEST(OrloctlScan, IdentifyNamesEachAnsweringAddressInOrder) {
    const int status = RunInPrivateNetwork([] {
        Sensors sensors;
        if (!sensors.started) {
            return 1;
        }
        const ScanRun run = Scan("127.0.0.1-4", {"--identify"});
        if (run.status == EXIT_DEVICE_FAILED && run.out.empty()) {
            return kNoIcmp;
        }
        const std::string expected = "127.0.0.1\tOrlo-X1\t1.2.0.5\tNorth\n"
                                     "127.0.0.2\tOrlo-X1\t1.2.0.5\t入口\n"
                                     "127.0.0.3\tOrlo-X1\t1.2.0.5\tX\\x1b[2J\\x07\\x09Y\n"
                                     "127.0.0.4\t-\t-\t-\tno sensor: the connection was refused\n";
        if (run.status != EXIT_OK || run.out != expected) {
            ADD_FAILURE() << run.status << "\n" << run.out << run.err;
            return 2;
        }
        const ScanRun json = Scan("127.0.0.2-3", {"--identify", "--json"});
        const std::string first = "[{\"address\": \"127.0.0.2\", \"port\": 9600, \"outcome\": \"sensor\", "
                                  "\"model\": \"Orlo-X1\", \"version\": \"1.2.0.5\", \"text\": \"入口\"";
        if (json.status != EXIT_OK || json.out.find(first) != 0 ||
            json.out.find("\"text\": \"X\\\\x1b[2J\\\\x07\\\\x09Y\"") == std::string::npos) {
            ADD_FAILURE() << json.out;
            return 3;
        }
        // Another port: nothing listens there.
        const ScanRun other = Scan("127.0.0.1-1", {"--identify", "--port", "9700"});
        return other.out == "127.0.0.1\t-\t-\t-\tno sensor: the connection was refused\n" ? 0 : 4;
    });
    if (status == kNoPrivateNetwork || status == kNoIcmp) {
        GTEST_SKIP() << "no private network namespace, or no ICMP in it";
    }
    EXPECT_EQ(0, status);
}

// A range given to --hosts is served only where a sensor answers; a sensor busy with another client
// cannot be identified and counts as failed.
TEST(OrloctlFleetRange, OnlyTheSensorsOfARangeAreServed) {
    const int status = RunInPrivateNetwork([] {
        Sensors sensors;
        DeviceSession busy;
        if (!sensors.started || ConnectLan(busy, "127.0.0.2", 9600, 90) != RC_OK) {
            return 1;
        }
        std::ostringstream out;
        std::ostringstream err;
        const int fleet = RunOrloctl({"--hosts", "127.0.0.1-6", "info"}, out, err);
        // The sensor closes the newcomer's connection at once; our request may meet a reset instead.
        std::string table = out.str();
        for (const char* how : {"closed", "reset"}) {
            const std::string busyRow = std::string("not-identified did not identify: no answer: the peer ") +
                                        how + " the connection (a sensor busy with another client does)\n";
            if (const auto at = table.find(busyRow); at != std::string::npos) {
                table.replace(at, busyRow.size(), "BUSY\n");
            }
        }
        const std::string expected = "ADDRESS    OUTCOME        MESSAGE\n"
                                     "127.0.0.1  ok             Orlo-X1 1.2.0.5\n"
                                     "127.0.0.2  BUSY\n"
                                     "127.0.0.3  ok             Orlo-X1 1.2.0.5\n"
                                     "3 sensors: 2 ok, 1 not-identified\n";
        if (fleet != EXIT_DEVICE_FAILED || table != expected) {
            ADD_FAILURE() << fleet << "\n" << out.str() << err.str();
            return 2;
        }
        std::ostringstream none;
        const int empty = RunOrloctl({"--hosts", "127.0.0.7-9", "info"}, none, err);
        return empty == EXIT_DEVICE_FAILED && none.str().empty() &&
                       err.str().find("orloctl: no sensor answered in 127.0.0.7-9") != std::string::npos
                   ? 0
                   : 3;
    });
    if (status == kNoPrivateNetwork) {
        GTEST_SKIP() << "no private network namespace can be made here";
    }
    EXPECT_EQ(0, status);
}

TEST(OrloctlScan, PortGoesWithIdentify) {
    for (const std::vector<std::string>& options : {std::vector<std::string>{"--port", "9600"},
                                                    {"--identify", "--port"},
                                                    {"--identify", "--port", "0"},
                                                    {"--identify", "--port", "65536"}}) {
        std::vector<std::string> args{"scan", "127.0.0.1-2"};
        args.insert(args.end(), options.begin(), options.end());
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(EXIT_USAGE, RunOrloctl(args, out, err)) << options.back();
        EXPECT_TRUE(out.str().empty());
    }
}

} // namespace
} // namespace orlo::cli
