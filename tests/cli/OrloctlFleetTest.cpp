#include "cli/CommandLine.h"
#include "cli/Orloctl.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"
#include "core/settingsfile/SettingsFile.h"
#include "sim/Simulator.h"
#include "tests/support/FileBytes.h"
#include "tests/support/HostilePeer.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/TempDirectory.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

namespace orlo::cli {
namespace {

namespace fs = std::filesystem;

struct FleetRun {
    int status = 0;
    std::string out;
    std::string err;
};

// How many clients the simulators serve at once, at most, from their log lines.
class ClientCount {
public:
    sim::SimLogger Logger() {
        return [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            if (line == "tcp: client connected") {
                peak_ = std::max(peak_, ++open_);
            } else if (line.starts_with("tcp: client left") || line.starts_with("tcp: connection closed") ||
                       line.starts_with("tcp: idle client closed")) {
                --open_;
            }
        };
    }
    int Peak() const {
        std::lock_guard lock(mutex_);
        return peak_;
    }

private:
    mutable std::mutex mutex_;
    int open_ = 0;
    int peak_ = 0;
};

// Simulators on 127.0.0.1, each on a port of its own, and a hosts file naming them.
class OrloctlFleetTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    std::vector<std::unique_ptr<sim::Simulator>> simulators;
    ClientCount clients;

    void StartSensors(const std::vector<std::string>& texts, const std::vector<std::string>& faults = {}) {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            sim::SimConfig config;
            config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
            config.restartSilence = std::chrono::milliseconds(200);
            const std::string cp932 = Utf8ToCp932(texts[i]).value_or(texts[i]);
            config.infoText.emplace();
            std::copy(cp932.begin(),
                      cp932.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(cp932.size(), 20)),
                      config.infoText->begin());
            config.log = clients.Logger();
            std::string error;
            if (i < faults.size() && !faults[i].empty()) {
                ASSERT_TRUE(config.faults.add(faults[i], error)) << error;
            }
            simulators.push_back(std::make_unique<sim::Simulator>(config));
            ASSERT_TRUE(simulators.back()->start(error)) << error;
        }
    }
    std::string Host(std::size_t i) const { return "127.0.0.1:" + std::to_string(simulators[i]->tcpPort()); }
    std::string HostsFile(const std::string& extra = "") {
        std::string text = "# simulated sensors\n";
        for (std::size_t i = 0; i < simulators.size(); ++i) {
            text += Host(i) + "\n";
        }
        const std::string path = (directory.Path() / "hosts.txt").string();
        EXPECT_TRUE(WriteFileAtomically(path, text + extra));
        return path;
    }
    std::string File(const std::string& name) const { return (directory.Path() / name).string(); }
    // The name export gives a sensor's file: address, port, safe text.
    std::string Name(std::size_t i, const std::string& text) const {
        return "127.0.0.1-" + std::to_string(simulators[i]->tcpPort()) + (text.empty() ? "" : "_" + text);
    }

    FleetRun Orloctl(std::vector<std::string> args, const Console* console = nullptr) {
        std::vector<std::string> full{"--dir", directory.Path().string()};
        full.insert(full.end(), args.begin(), args.end());
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunOrloctl(full, out, err, nullptr, console);
        return {status, out.str(), err.str()};
    }
    // The row of the summary table for a sensor.
    static std::string Row(const std::string& out, const std::string& host) {
        const auto at = out.find("\n" + host + " ");
        return at == std::string::npos ? "" : out.substr(at + 1, out.find('\n', at + 1) - at - 1);
    }
};

TEST_F(OrloctlFleetTest, ExportWritesOneCompleteBackupPerSensorNamedByAddressAndText) {
    const std::vector<std::string> texts{"入口 北", "../up/../../x", "A\x1b[2J", ""};
    StartSensors(texts);
    const FleetRun run = Orloctl({"--hosts", HostsFile(), "export", File("site") + "/"});
    ASSERT_EQ(EXIT_OK, run.status) << run.out << run.err;
    const std::vector<std::string> names{Name(0, "入口_北"), Name(1, "up_.._.._x"), Name(2, "A_[2J"),
                                         Name(3, "")};
    const std::vector<std::string> found = test::FileNames(File("site"));
    std::vector<std::string> expected;
    for (const std::string& name : names) {
        expected.push_back(name + ".ini");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, found);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        // Each backup is the one a single export of that sensor writes.
        const std::string single = File("single-" + std::to_string(i) + ".ini");
        ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(i), "export", single}).status);
        const std::string file = File("site/" + names[i] + ".ini");
        EXPECT_EQ(test::FileBytes(single), test::FileBytes(file)) << file;
        EXPECT_NE("", Row(run.out, Host(i))) << run.out;
        EXPECT_NE(std::string::npos, Row(run.out, Host(i)).find("ok")) << run.out;
    }
    EXPECT_NE(std::string::npos, run.out.find("4 sensors: 4 ok\n")) << run.out;
}

TEST_F(OrloctlFleetTest, ASensorFailingMidwayIsNamedAndLeavesNoFileWhileTheOthersComplete) {
    // The third drops its link in the middle of the backup (reading the Other values).
    StartSensors({"One", "Two", "Three", "Four"}, {"", "", "drop-after=3@0x6A"});
    const FleetRun run = Orloctl({"--hosts", HostsFile(), "--jobs", "2", "export", File("site")});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_NE(std::string::npos, Row(run.out, Host(2)).find("failed")) << run.out;
    EXPECT_NE(std::string::npos, Row(run.out, Host(2)).find("(result -")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("4 sensors: 3 ok, 1 failed\n")) << run.out;
    const std::vector<std::string> found = test::FileNames(File("site"));
    std::vector<std::string> complete{Name(0, "One") + ".ini", Name(1, "Two") + ".ini",
                                      Name(3, "Four") + ".ini"};
    std::sort(complete.begin(), complete.end());
    EXPECT_EQ(complete, found);
    for (const std::string& name : found) {
        SettingsRecord record;
        EXPECT_EQ(0, ReadSettingsFile(File("site/" + name), record)) << name;
    }
}

// Sensors that hold each identification answer for a while and count how many hold one at once.
// An answer leaves only after its sensor stopped counting it, so sensors served one after the other
// never overlap.
class OverlapCount {
public:
    test::TcpPeer::Script Sensor() {
        return [this](const test::ScriptedPeer::Request& request) {
            if (request.code == 0x00) {
                {
                    std::lock_guard lock(mutex_);
                    peak_ = std::max(peak_, ++inside_);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                std::lock_guard lock(mutex_);
                --inside_;
            }
            return test::HostilePeer::HealthySensor(request.code);
        };
    }
    int Peak() const {
        std::lock_guard lock(mutex_);
        return peak_;
    }

private:
    mutable std::mutex mutex_;
    int inside_ = 0;
    int peak_ = 0;
};

TEST_F(OrloctlFleetTest, OneJobServesOneSensorAtATimeAndManyServeThemTogether) {
    const auto run = [&](const char* jobs, int& peak) {
        OverlapCount overlap;
        std::vector<std::unique_ptr<test::TcpPeer>> peers;
        std::string hosts;
        for (int i = 0; i < 4; ++i) {
            peers.push_back(std::make_unique<test::TcpPeer>(overlap.Sensor()));
            hosts += "127.0.0.1:" + std::to_string(peers.back()->Port()) + "\n";
        }
        EXPECT_TRUE(WriteFileAtomically(File("peers.txt"), hosts));
        const FleetRun result = Orloctl({"--hosts", File("peers.txt"), "--jobs", jobs, "info"});
        peak = overlap.Peak();
        EXPECT_EQ(EXIT_OK, result.status) << result.out << result.err;
        return result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1);
    };
    int one = 0;
    int many = 0;
    EXPECT_EQ("4 sensors: 4 ok\n", run("1", one));
    EXPECT_EQ("4 sensors: 4 ok\n", run("64", many));
    EXPECT_EQ(1, one);
    EXPECT_GT(many, 1);
}

TEST_F(OrloctlFleetTest, DiffExitStatusSaysWhetherAnySensorDiffersOrFailed) {
    StartSensors({"A", "B", "C"});
    ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(0), "export", File("reference.ini")}).status);
    // The information text differs from sensor to sensor: the reference takes each one's own.
    for (std::size_t i = 0; i < simulators.size(); ++i) {
        ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(i), "set", "info-text", "A"}).status);
    }
    FleetRun run = Orloctl({"--hosts", HostsFile(), "diff", File("reference.ini")});
    EXPECT_EQ(EXIT_OK, run.status) << run.out << run.err;

    ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(1), "set", "threshold", "777"}).status);
    run = Orloctl({"--hosts", HostsFile(), "diff", File("reference.ini")});
    EXPECT_EQ(EXIT_DIFFERENT, run.status);
    EXPECT_NE(std::string::npos, run.out.find(Host(1) + ": Ditection.Threshold file=500 sensor=777\n"))
        << run.out;
    EXPECT_NE(std::string::npos, Row(run.out, Host(1)).find("different      1 setting differs")) << run.out;

    // One address in the list has no sensor: that is a failure, whatever the others say.
    run = Orloctl({"--hosts", HostsFile("127.0.0.1:1\n"), "diff", File("reference.ini")});
    EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
    EXPECT_NE(std::string::npos, Row(run.out, "127.0.0.1:1").find("failed")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("4 sensors: 2 ok, 1 different, 1 failed\n")) << run.out;
}

TEST_F(OrloctlFleetTest, ImportToManyAsksFirst) {
    StartSensors({"A", "B"});
    ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(0), "set", "threshold", "321"}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(0), "export", File("template.ini")}).status);
    ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(0), "set", "threshold", "500"}).status);
    const auto thresholds = [&] {
        return std::vector<std::uint16_t>{simulators[0]->settings().threshold,
                                          simulators[1]->settings().threshold};
    };

    // No terminal to ask: nothing is written without --yes.
    FleetRun run = Orloctl({"--hosts", HostsFile(), "import", File("template.ini")});
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_NE(std::string::npos, run.err.find("give --yes")) << run.err;
    EXPECT_EQ((std::vector<std::uint16_t>{500, 500}), thresholds());

    std::istringstream no("n\n");
    const Console refusing{false, true, &no};
    run = Orloctl({"--hosts", HostsFile(), "import", File("template.ini")}, &refusing);
    EXPECT_EQ(EXIT_USAGE, run.status);
    EXPECT_NE(std::string::npos, run.err.find("to 2 sensors? [y/N]")) << run.err;
    EXPECT_EQ((std::vector<std::uint16_t>{500, 500}), thresholds());

    std::istringstream yes("y\n");
    const Console agreeing{false, true, &yes};
    run = Orloctl({"--hosts", HostsFile(), "import", File("template.ini")}, &agreeing);
    EXPECT_EQ(EXIT_OK, run.status) << run.out << run.err;
    EXPECT_EQ((std::vector<std::uint16_t>{321, 321}), thresholds());

    ASSERT_EQ(EXIT_OK, Orloctl({"--lan", Host(1), "set", "threshold", "500"}).status);
    run = Orloctl({"--hosts", HostsFile(), "--yes", "import", File("template.ini")});
    EXPECT_EQ(EXIT_OK, run.status) << run.out << run.err;
    EXPECT_EQ((std::vector<std::uint16_t>{321, 321}), thresholds());
    EXPECT_NE(std::string::npos, Row(run.out, Host(1)).find("every setting written")) << run.out;
}

TEST_F(OrloctlFleetTest, EachSensorKeepsItsOwnCommandLog) {
    StartSensors({"A", "B"});
    const FleetRun run = Orloctl({"--hosts", HostsFile(), "--log", "get", "threshold"});
    ASSERT_EQ(EXIT_OK, run.status) << run.out << run.err;
    EXPECT_FALSE(fs::exists(File("CmdLog.log")));
    for (std::size_t i = 0; i < simulators.size(); ++i) {
        std::string log = test::FileBytes(File("CmdLog-" + Name(i, "") + ".log"));
        // UTF-16 text of ASCII lines: the request for the threshold (0x06) is there.
        log.erase(std::remove(log.begin(), log.end(), '\0'), log.end());
        EXPECT_NE(std::string::npos, log.find("\tfe 06 00 00\n")) << i;
    }
    EXPECT_NE(std::string::npos, Row(run.out, Host(0)).find("ok             500")) << run.out;
}

TEST_F(OrloctlFleetTest, JsonSummaryCarriesEachSensorsOwnJson) {
    StartSensors({"入口", "B"});
    const FleetRun run = Orloctl({"--hosts", HostsFile(), "--json", "get", "threshold"});
    ASSERT_EQ(EXIT_OK, run.status) << run.err;
    // In the order of address and port.
    const auto low = std::min(simulators[0]->tcpPort(), simulators[1]->tcpPort());
    const auto high = std::max(simulators[0]->tcpPort(), simulators[1]->tcpPort());
    const std::string rest =
        ", \"outcome\": \"ok\", \"status\": 0, \"message\": \"\", \"result\": {\"threshold\": 500}}";
    EXPECT_EQ("[{\"address\": \"127.0.0.1\", \"port\": " + std::to_string(low) + rest +
                  ",\n {\"address\": \"127.0.0.1\", \"port\": " + std::to_string(high) + rest + "]\n",
              run.out);
    const FleetRun exported = Orloctl({"--hosts", HostsFile(), "--json", "export", File("site")});
    ASSERT_EQ(EXIT_OK, exported.status) << exported.err;
    EXPECT_NE(std::string::npos, exported.out.find("\"text\": \"入口\", \"outcome\": \"ok\""))
        << exported.out;
    EXPECT_NE(std::string::npos,
              exported.out.find("\"file\": \"" + File("site/" + Name(0, "入口") + ".ini\"")))
        << exported.out;
}

TEST_F(OrloctlFleetTest, MistakesAreReportedOnceBeforeAnySensorIsContacted) {
    StartSensors({"A", "B"});
    const std::string hosts = HostsFile();
    const auto refused = [&](const std::vector<std::string>& args, const std::string& message) {
        const FleetRun run = Orloctl(args);
        EXPECT_EQ(EXIT_USAGE, run.status) << args.back();
        EXPECT_NE(std::string::npos, run.err.find(message)) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    };
    refused({"--hosts", hosts, "get", "no-such-setting"}, "unknown setting: no-such-setting");
    refused({"--hosts", hosts, "detect"}, "--hosts runs info, export, diff, import, report, restart and get");
    refused({"--hosts", hosts, "--lan", Host(0), "info"}, "--hosts names the sensors");
    refused({"--hosts", hosts, "--jobs", "0", "info"}, "--jobs: a number from 1 to 64");
    refused({"--hosts", hosts, "--jobs", "65", "info"}, "--jobs: a number from 1 to 64");
    refused({"--lan", Host(0), "--jobs", "2", "info"}, "--jobs and --yes go with --hosts");
    refused({"--hosts", hosts, "export", "-"}, "needs a FOLDER, not -");
    refused({"--hosts", hosts, "export"}, "export needs exactly one FILE");
    ASSERT_TRUE(WriteFileAtomically(File("plain.txt"), "x"));
    refused({"--hosts", hosts, "export", File("plain.txt")}, "is not one");
    refused({"--hosts", File("missing-hosts.txt"), "info"}, "cannot read");

    // A settings file the sensors cannot take: one message, not one a sensor.
    ASSERT_TRUE(WriteFileAtomically(File("broken.ini"), "[Camera]\nCamera=1\n"));
    const FleetRun broken = Orloctl({"--hosts", hosts, "diff", File("broken.ini")});
    EXPECT_EQ(EXIT_DEVICE_FAILED, broken.status);
    EXPECT_EQ("orloctl: " + File("broken.ini") + ": Camera.Mode is missing (result -51)\n", broken.err);
    EXPECT_EQ(0, clients.Peak());
}

TEST_F(OrloctlFleetTest, ATerminalSeesTheProgressOnOneLine) {
    StartSensors({"A", "B"});
    const std::string hosts = HostsFile("127.0.0.1:1\n");
    const Console terminal{true, false, nullptr};
    const FleetRun shown = Orloctl({"--hosts", hosts, "--jobs", "1", "info"}, &terminal);
    EXPECT_EQ(EXIT_DEVICE_FAILED, shown.status);
    // The list is served in address order: the port-1 address first, and it fails.
    EXPECT_EQ("\rorloctl: 1 of 3 sensors done, 1 failed\rorloctl: 2 of 3 sensors done, 1 failed"
              "\rorloctl: 3 of 3 sensors done, 1 failed\n",
              shown.err);
    const FleetRun plain = Orloctl({"--hosts", hosts, "--jobs", "1", "info"});
    EXPECT_EQ("", plain.err);
    EXPECT_EQ(shown.out, plain.out);
}

TEST_F(OrloctlFleetTest, RestartWaitsForEverySensor) {
    StartSensors({"A", "B", "C"});
    const FleetRun run = Orloctl({"--hosts", HostsFile(), "--jobs", "3", "restart"});
    EXPECT_EQ(EXIT_OK, run.status) << run.out << run.err;
    for (std::size_t i = 0; i < simulators.size(); ++i) {
        EXPECT_NE(std::string::npos, Row(run.out, Host(i)).find("restarted; the sensor answers again"))
            << run.out;
    }
}

} // namespace
} // namespace orlo::cli
