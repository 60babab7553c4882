#include "core/device/ConnectProcedures.h"
#include "core/device/DetectionCommands.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SettingsTransfer.h"
#include "core/device/SystemCommands.h"
#include "core/settingsfile/SettingsFile.h"
#include "sim/Simulator.h"
#include "tests/support/SystemSkips.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

using namespace std::chrono_literals;

enum class Link { Tcp, Pty };

// The device library against the simulator over a real link of each kind.
class SimulatorIntegrationTest : public ::testing::TestWithParam<Link> {
protected:
    test::TempDirectory directory;
    std::unique_ptr<sim::Simulator> simulator;
    DeviceSession session{directory.Path()};

    void SetUp() override {
        if (GetParam() == Link::Pty) {
            ORLO_SKIP_WITHOUT_PSEUDO_TERMINALS();
        }
    }

    void Start(const std::string& faults = "", std::uint32_t sensorBaud = 115200) {
        sim::SimConfig config;
        if (GetParam() == Link::Tcp) {
            config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        } else {
            config.pty = true;
            config.baud = sensorBaud;
        }
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
    ResultCode Connect() {
        return GetParam() == Link::Tcp ? ConnectLan(session, "127.0.0.1", simulator->tcpPort(), 90)
                                       : ConnectCom(session, simulator->ptyPath(), 115200, 90);
    }
};

TEST_P(SimulatorIntegrationTest, DetectionWithPictureAndBlock) {
    Start();
    ASSERT_EQ(RC_OK, Connect());
    std::vector<DetectionResult> results;
    bool indicator = false;
    CImageData picture;
    std::vector<CImageData> blocks;
    ASSERT_EQ(RC_OK,
              DetectOnce(session, 1, false, FUNCTION_HUMAN_DETECTION, results, indicator, picture, blocks));
    EXPECT_EQ(320, picture.Width());
    EXPECT_EQ(240, picture.Height());
    EXPECT_FALSE(results.empty());
    EXPECT_TRUE(blocks.empty());
    for (const DetectionResult& r : results) {
        EXPECT_LE(0, r.left);
        EXPECT_LE(r.right, 1600);
    }
    ASSERT_EQ(RC_OK,
              DetectOnce(session, 2, true, FUNCTION_MOTION_DETECTION, results, indicator, picture, blocks));
    EXPECT_EQ(160, picture.Width());
    ASSERT_EQ(1u, blocks.size());
    EXPECT_EQ(128, blocks[0].Height());
}

TEST_P(SimulatorIntegrationTest, BackupAndRestoreRoundTrip) {
    Start();
    ASSERT_EQ(RC_OK, Connect());
    const auto backup = directory.Path() / "backup.ini";
    ASSERT_EQ(RC_OK, ExportSettings(session, backup));
    ASSERT_EQ(RC_OK, SetThresholdVerified(session, 900));
    ASSERT_EQ(RC_OK, SetHumanDetectionAreaVerified(session, {100, 100, 1500, 1100}));
    ASSERT_EQ(RC_OK, ImportSettings(session, backup));
    std::uint16_t threshold = 0;
    ASSERT_EQ(RC_OK, GetThreshold(session, 1000, threshold));
    EXPECT_EQ(500, threshold);
    EXPECT_EQ(UNSET_RECT, session.DetectionAreaCache()[0]);
}

TEST_P(SimulatorIntegrationTest, RestartComesBack) {
    Start();
    ASSERT_EQ(RC_OK, Connect());
    ASSERT_EQ(RC_OK, SetThresholdVerified(session, 700));
    EXPECT_EQ(RC_OK, RestartAndInitialize(session, 1000));
    ASSERT_TRUE(session.IsConnected());
    std::uint16_t threshold = 0;
    ASSERT_EQ(RC_OK, GetThreshold(session, 1000, threshold));
    EXPECT_EQ(500, threshold); // factory value again
}

TEST_P(SimulatorIntegrationTest, FaultsGiveTheirResults) {
    Start("checksum,abnormal@0x06,forget@0x05,drop-after=3@0x0D");
    ASSERT_EQ(RC_OK, Connect());
    std::vector<DetectionResult> results;
    bool indicator = false;
    CImageData picture;
    std::vector<CImageData> blocks;
    EXPECT_EQ(RC_CHECKSUM, DetectOnce(session, 0, false, 1, results, indicator, picture, blocks));
    std::uint16_t threshold = 0;
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, GetThreshold(session, 1000, threshold));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, SetThresholdVerified(session, 600));
    std::string text;
    // The answer is cut off: the TCP link closes with it (a lost link), the pty just goes quiet.
    EXPECT_EQ(GetParam() == Link::Tcp ? RC_SEND_FAILED : RC_TIMEOUT, GetDeviceInfoText(session, 1000, text));
}

TEST_P(SimulatorIntegrationTest, VerifyCatchesASensorThatDoesNotStore) {
    Start("forget@0x07");
    ASSERT_EQ(RC_OK, Connect());
    EXPECT_EQ(RC_VERIFY_MISMATCH, SetSizeMaskVerified(session, {40, 800}));
}

INSTANTIATE_TEST_SUITE_P(Links, SimulatorIntegrationTest, ::testing::Values(Link::Tcp, Link::Pty),
                         [](const auto& info) { return info.param == Link::Tcp ? "Tcp" : "Pty"; });

TEST(SimulatorComProbing, FindsTheSensorAtAnotherSpeedAndSwitchesIt) {
    ORLO_SKIP_WITHOUT_PSEUDO_TERMINALS();
    test::TempDirectory directory;
    sim::SimConfig config;
    config.pty = true;
    config.baud = 38400;
    config.throttle = false;
    sim::Simulator simulator(config);
    std::string error;
    ASSERT_TRUE(simulator.start(error)) << error;
    DeviceSession session(directory.Path());
    ASSERT_EQ(RC_OK, ConnectCom(session, simulator.ptyPath(), 115200, 50));
    EXPECT_EQ(115200u, simulator.settings().baudRate);
    DeviceInfo info;
    EXPECT_EQ(RC_OK, GetDeviceInfo(session, 1000, info));
    EXPECT_EQ("Orlo-X1", info.name);
}

} // namespace
} // namespace orlo
