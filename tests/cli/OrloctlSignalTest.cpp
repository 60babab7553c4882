#include "core/platform/FileIo.h"
#include "tests/cli/ChildProcess.h"
#include "tests/support/Eventually.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempDirectory.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orlo::cli {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::ChildProcess;
using test::Eventually;
using test::FileBytes;
using test::FileNames;

// How soon after a signal orloctl must have ended.
constexpr auto kWithinASecond = 1s;

// How often `needle` occurs in `text`.
std::size_t Occurrences(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        ++count;
    }
    return count;
}

// orloctl and orlo-sim as processes of their own: the signal goes to the real program, and this
// process runs no thread of the simulator.
class OrloctlSignalTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    std::filesystem::path work = directory.Path() / "work";
    std::filesystem::path site = directory.Path() / "site";
    std::unique_ptr<ChildProcess> simulator;
    std::unique_ptr<ChildProcess> orloctl;
    std::string lan;

    void SetUp() override {
        std::filesystem::create_directory(work);
        std::filesystem::create_directory(site);
    }

    // The simulator on a free loopback port, logging every request.
    void StartSimulator(const std::string& faults) {
        std::vector<std::string> args = {"--tcp", "127.0.0.1:0", "--verbose", "--restart-seconds", "30"};
        if (!faults.empty()) {
            args.insert(args.end(), {"--fault", faults});
        }
        simulator = std::make_unique<ChildProcess>(ORLO_SIM_PROGRAM, args, Log("sim.out"), Log("sim.err"));
        ASSERT_TRUE(simulator->Started());
        ASSERT_TRUE(Eventually([this] { return FileBytes(Log("sim.out")).find('\n') != std::string::npos; }))
            << FileBytes(Log("sim.err"));
        const std::string line = FileBytes(Log("sim.out"));
        ASSERT_EQ(0u, line.find("tcp 127.0.0.1:")) << line;
        lan = line.substr(4, line.find('\n') - 4);
    }

    void StartOrloctl(const std::vector<std::string>& args) {
        std::vector<std::string> full = {"--lan", lan, "--dir", work.string()};
        full.insert(full.end(), args.begin(), args.end());
        orloctl = std::make_unique<ChildProcess>(ORLO_ORLOCTL_PROGRAM, full, Log("out.txt"), Log("err.txt"));
        ASSERT_TRUE(orloctl->Started());
    }

    // Runs orloctl to its end; its exit status.
    int RunOrloctl(const std::vector<std::string>& args) {
        StartOrloctl(args);
        const auto status = orloctl->WaitFor(60s);
        return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    }

    // True once the simulator has been asked `code` (as "0xNN") `count` times.
    bool Requested(const std::string& code, std::size_t count) {
        return Eventually([&] { return Occurrences(FileBytes(Log("sim.err")), "request " + code) >= count; });
    }

    // Sends `signal` to orloctl; its exit status (-1 when a signal ended it or it still runs), and
    // the time it took to end.
    std::pair<int, Clock::duration> Interrupt(int signal) {
        const auto sentAt = Clock::now();
        EXPECT_TRUE(orloctl->Send(signal));
        const auto status = orloctl->WaitFor(60s);
        const auto took = Clock::now() - sentAt;
        std::cout << "orloctl ended "
                  << std::chrono::duration_cast<std::chrono::microseconds>(took).count() / 1000.0
                  << " ms after signal " << signal << "\n";
        return {status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, took};
    }

    std::filesystem::path Log(const char* name) const { return directory.Path() / name; }
    std::string Err() const { return FileBytes(Log("err.txt")); }
};

TEST_F(OrloctlSignalTest, CtrlCDuringAnExportLeavesTheEarlierFileAndNoOther) {
    // A slow sensor: every area mask takes 300 ms to read.
    StartSimulator("delay=300@0x62");
    const std::filesystem::path target = site / "backup.ini";
    std::ofstream(target) << "the earlier backup";
    StartOrloctl({"export", target.string()});
    ASSERT_TRUE(Requested("0x62", 2));

    const auto [status, took] = Interrupt(SIGINT);
    EXPECT_EQ(130, status) << Err();
    EXPECT_LT(took, kWithinASecond);
    EXPECT_EQ("the earlier backup", FileBytes(target));
    EXPECT_EQ(std::vector<std::string>{"backup.ini"}, FileNames(site));
    EXPECT_NE(std::string::npos, Err().find("中止しました")) << Err();
}

TEST_F(OrloctlSignalTest, CtrlCDuringAnExportOfManySensorsEndsEveryOneAndWritesNoFile) {
    // Two slow sensors, each taking 300 ms for every area mask.
    StartSimulator("delay=300@0x62");
    const std::string first = lan;
    ChildProcess second(ORLO_SIM_PROGRAM, {"--tcp", "127.0.0.1:0", "--fault", "delay=300@0x62"},
                        Log("sim2.out"), Log("sim2.err"));
    ASSERT_TRUE(Eventually([this] { return FileBytes(Log("sim2.out")).find('\n') != std::string::npos; }));
    const std::string line = FileBytes(Log("sim2.out"));
    ASSERT_TRUE(
        WriteFileAtomically(Log("hosts.txt"), first + "\n" + line.substr(4, line.find('\n') - 4) + "\n"));
    orloctl = std::make_unique<ChildProcess>(ORLO_ORLOCTL_PROGRAM,
                                             std::vector<std::string>{"--hosts", Log("hosts.txt").string(),
                                                                      "--jobs", "2", "export", site.string()},
                                             Log("out.txt"), Log("err.txt"));
    ASSERT_TRUE(Requested("0x62", 2));

    const auto [status, took] = Interrupt(SIGINT);
    EXPECT_EQ(130, status) << Err();
    // Neither export went on to write its file.
    EXPECT_TRUE(FileNames(site).empty());
    const std::string out = FileBytes(Log("out.txt"));
    EXPECT_NE(std::string::npos, out.find("2 sensors: ")) << out;
    EXPECT_EQ(std::string::npos, out.find(" ok ")) << out;
    EXPECT_GE(Occurrences(out, "中止しました"), 1u) << out;
}

TEST_F(OrloctlSignalTest, CtrlCDuringAnImportSaysWhatWasWrittenAndWhatWasNot) {
    // A slow sensor: every area mask takes 300 ms to write.
    StartSimulator("delay=300@0x61");
    const std::filesystem::path backup = site / "backup.ini";
    ASSERT_EQ(0, RunOrloctl({"export", backup.string()})) << Err();
    StartOrloctl({"import", backup.string()});
    ASSERT_TRUE(Requested("0x61", 2));

    const auto [status, took] = Interrupt(SIGINT);
    EXPECT_EQ(130, status) << Err();
    EXPECT_LT(took, kWithinASecond);
    // The write in flight was finished, so what was written is a whole number of area masks.
    const std::string err = Err();
    const std::string written =
        "orloctl: the sensor holds part of the file: written: Camera.Camera to AreaMask";
    ASSERT_NE(std::string::npos, err.find(written)) << err;
    const std::size_t masks = std::stoul(err.substr(err.find(written) + written.size()));
    EXPECT_GE(masks, 1u);
    EXPECT_NE(std::string::npos, err.find("; not written: AreaMask" + std::to_string(masks + 1) +
                                          " to OrloSetupFalseRect.Rect10. Import " + backup.string() +
                                          " again to complete it.\n"))
        << err;
    EXPECT_EQ(masks, Occurrences(FileBytes(Log("sim.err")), "request 0x61"));
}

TEST_F(OrloctlSignalTest, CtrlCDuringDetectWithAFrozenSensorEndsAtOnce) {
    StartSimulator("");
    StartOrloctl({"detect", "--count", "100000"});
    ASSERT_TRUE(Requested("0x03", 3));
    // The sensor freezes in the middle of its work; a detection waits many seconds for it.
    ASSERT_TRUE(simulator->Send(SIGSTOP));
    std::this_thread::sleep_for(200ms);

    const auto [status, took] = Interrupt(SIGINT);
    EXPECT_EQ(130, status) << Err();
    EXPECT_LT(took, kWithinASecond);
    EXPECT_NE(std::string::npos, Err().find("中止しました")) << Err();
}

TEST_F(OrloctlSignalTest, SigtermEndsAWaitForARestartedSensorWith143) {
    StartSimulator("");
    StartOrloctl({"restart"});
    ASSERT_TRUE(Eventually([this] { return Err().find("waiting for the sensor") != std::string::npos; }))
        << Err();

    const auto [status, took] = Interrupt(SIGTERM);
    EXPECT_EQ(143, status) << Err();
    EXPECT_LT(took, kWithinASecond);
}

TEST_F(OrloctlSignalTest, CtrlCBetweenDetectionCyclesEndsThePause) {
    StartSimulator("");
    StartOrloctl({"detect", "--count", "2", "--interval", "600000"});
    ASSERT_TRUE(Eventually([this] { return !FileBytes(Log("out.txt")).empty(); }));

    const auto [status, took] = Interrupt(SIGINT);
    EXPECT_EQ(130, status) << Err();
    EXPECT_LT(took, kWithinASecond);
    EXPECT_EQ(1u, Occurrences(FileBytes(Log("sim.err")), "request 0x03"));
}

} // namespace
} // namespace orlo::cli
