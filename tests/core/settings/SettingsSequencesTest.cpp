#include "core/settings/CameraSettings.h"
#include "core/settings/UsbTimeouts.h"
#include "tests/core/settings/FakeSensorTest.h"

namespace orlo {
namespace {

using Codes = std::vector<std::uint8_t>;
using Bytes = std::vector<std::uint8_t>;

using SettingsSequencesTest = test::FakeSensorTest;

TEST_F(SettingsSequencesTest, LoadReadsDirectionModeAndStatus) {
    sensor.direction = 3;
    sensor.mode = 5;
    CameraValues values;
    ASSERT_EQ(RC_OK, LoadCameraValues(session, values));
    EXPECT_EQ((Codes{0x02, 0x6E, 0x03}), sensor.Codes());
    // The status request asks for nothing: no function, no picture.
    EXPECT_EQ((Bytes{0x00, 0x00, 0x00}), sensor.LastPayload(0x03));
    EXPECT_EQ((CameraValues{3, 5, false}), values);
    EXPECT_EQ(1, session.Portrait());
}

TEST_F(SettingsSequencesTest, OnlyStatus50OfTheStatusRequestCounts) {
    CameraValues values;
    sensor.status[0x03] = 0x50;
    ASSERT_EQ(RC_OK, LoadCameraValues(session, values));
    EXPECT_TRUE(values.settingsAbnormal);

    sensor.status[0x03] = 0xF3;
    ASSERT_EQ(RC_OK, LoadCameraValues(session, values));
    EXPECT_FALSE(values.settingsAbnormal);
    sensor.status.erase(0x03);
    sensor.silent = {0x03};
    ASSERT_EQ(RC_OK, LoadCameraValues(session, values));
    EXPECT_FALSE(values.settingsAbnormal);
}

TEST_F(SettingsSequencesTest, FailedLoadLeavesTheValues) {
    const CameraValues before{2, 9, true};
    CameraValues values = before;
    sensor.silent = {0x6E};
    EXPECT_EQ(RC_TIMEOUT, LoadCameraValues(session, values));
    EXPECT_EQ(before, values);
    EXPECT_EQ((Codes{0x02, 0x6E}), sensor.Codes());

    sensor.ClearCodes();
    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, LoadCameraValues(session, values));
    EXPECT_TRUE(sensor.Codes().empty());
    EXPECT_EQ(before, values);
}

TEST_F(SettingsSequencesTest, DirectionChangeWritesReadsBackAndRefreshesTheAreas) {
    sensor.humanArea = {10, 20, 1190, 1590};
    sensor.motionArea = {-1, -1, -1, -1};
    ASSERT_EQ(RC_OK, ApplyCameraChange(session, {1, true, std::uint8_t{2}}));
    EXPECT_EQ((Codes{0x01, 0x02, 0x66, 0x79, 0x6D, 0x6E}), sensor.Codes());
    EXPECT_EQ((Bytes{1}), sensor.LastPayload(0x01));
    EXPECT_EQ((Bytes{2}), sensor.LastPayload(0x6D));
    EXPECT_EQ(1, session.Portrait());
    EXPECT_EQ((Rect{10, 20, 1190, 1590}), session.DetectionAreaCache()[0]);
    EXPECT_EQ(UNSET_RECT, session.DetectionAreaCache()[1]);
}

TEST_F(SettingsSequencesTest, PortraitFollowsTheDirectionReadBackNotTheOneSent) {
    // A sensor that keeps 180 degrees whatever it is sent: no error, the frame stays landscape.
    sensor.storeDirection = [](std::uint8_t) { return std::uint8_t{2}; };
    session.SetPortrait(1);
    ASSERT_EQ(RC_OK, ApplyCameraChange(session, {1, true, std::nullopt}));
    EXPECT_EQ(0, session.Portrait());
    // Without a mode nothing of the mode is sent.
    EXPECT_EQ((Codes{0x01, 0x02, 0x66, 0x79}), sensor.Codes());
}

TEST_F(SettingsSequencesTest, ModeOnlyChangeSendsNoDirection) {
    ASSERT_EQ(RC_OK, ApplyCameraChange(session, {0, false, std::uint8_t{5}}));
    EXPECT_EQ((Codes{0x6D, 0x6E}), sensor.Codes());
    EXPECT_EQ(5, sensor.mode);
}

TEST_F(SettingsSequencesTest, ModeNotKeptIsAMismatchAndFailuresStopTheApply) {
    sensor.storeMode = [](std::uint8_t) { return std::uint8_t{0}; };
    EXPECT_EQ(RC_VERIFY_MISMATCH, ApplyCameraChange(session, {0, false, std::uint8_t{5}}));

    sensor.ClearCodes();
    sensor.status[0x01] = 0xE3;
    EXPECT_EQ(-0xE3, ApplyCameraChange(session, {7, true, std::uint8_t{5}}));
    EXPECT_EQ((Codes{0x01}), sensor.Codes());

    sensor.ClearCodes();
    sensor.status.clear();
    sensor.silent = {0x79};
    const Rect cachedMotion = session.DetectionAreaCache()[1];
    EXPECT_EQ(RC_TIMEOUT, ApplyCameraChange(session, {1, true, std::uint8_t{5}}));
    EXPECT_EQ((Codes{0x01, 0x02, 0x66, 0x79}), sensor.Codes());
    EXPECT_EQ(cachedMotion, session.DetectionAreaCache()[1]);

    sensor.ClearCodes();
    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, ApplyCameraChange(session, {0, false, std::uint8_t{5}}));
    EXPECT_EQ(RC_NO_LINK, ApplyCameraChange(session, {0, false, std::nullopt}));
    EXPECT_TRUE(sensor.Codes().empty());
}

TEST_F(SettingsSequencesTest, UsbTimeoutsLoadAndApplyWithReadBack) {
    sensor.sendTimeoutMs = 5000;
    sensor.receiveTimeoutMs = 3000;
    UsbTimeouts timeouts;
    ASSERT_EQ(RC_OK, LoadUsbTimeouts(session, timeouts));
    EXPECT_EQ((UsbTimeouts{5000, 3000}), timeouts);
    EXPECT_EQ((Codes{0x18, 0x1A}), sensor.Codes());

    sensor.ClearCodes();
    ASSERT_EQ(RC_OK, ApplyUsbTimeouts(session, {20000, 100}, timeouts));
    EXPECT_EQ((Codes{0x17, 0x18, 0x19, 0x1A}), sensor.Codes());
    EXPECT_EQ((Bytes{0x20, 0x4E}), sensor.LastPayload(0x17));
    EXPECT_EQ(100, sensor.receiveTimeoutMs);

    // A sensor that keeps whole seconds: the send time-out does not read back, the receive one is
    // not written.
    sensor.ClearCodes();
    sensor.storeTimeout = [](std::uint16_t ms) { return static_cast<std::uint16_t>(ms / 1000 * 1000); };
    EXPECT_EQ(RC_VERIFY_MISMATCH, ApplyUsbTimeouts(session, {1234, 3000}, {20000, 100}));
    EXPECT_EQ((Codes{0x17, 0x18}), sensor.Codes());
    EXPECT_EQ(1000, sensor.sendTimeoutMs);

    const UsbTimeouts before = timeouts;
    sensor.silent = {0x1A};
    EXPECT_EQ(RC_TIMEOUT, LoadUsbTimeouts(session, timeouts));
    EXPECT_EQ(before, timeouts);
    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, LoadUsbTimeouts(session, timeouts));
    EXPECT_EQ(RC_NO_LINK, ApplyUsbTimeouts(session, {1000, 1000}, timeouts));
}

// Values the sensor holds outside the range the tool lets the user type are not written back.
TEST_F(SettingsSequencesTest, UsbTimeoutsApplyWritesOnlyWhatDiffersFromTheLoadedValues) {
    sensor.sendTimeoutMs = 30000;
    sensor.receiveTimeoutMs = 50;
    UsbTimeouts loaded;
    ASSERT_EQ(RC_OK, LoadUsbTimeouts(session, loaded));
    sensor.ClearCodes();
    EXPECT_EQ(RC_OK, ApplyUsbTimeouts(session, loaded, loaded));
    EXPECT_TRUE(sensor.Codes().empty());

    EXPECT_EQ(RC_OK, ApplyUsbTimeouts(session, {30000, 200}, loaded));
    EXPECT_EQ((Codes{0x19, 0x1A}), sensor.Codes());
    EXPECT_EQ(30000, sensor.sendTimeoutMs);
    EXPECT_EQ(200, sensor.receiveTimeoutMs);

    sensor.ClearCodes();
    EXPECT_EQ(RC_OK, ApplyUsbTimeouts(session, {20000, 50}, loaded));
    EXPECT_EQ((Codes{0x17, 0x18}), sensor.Codes());
    EXPECT_EQ(20000, sensor.sendTimeoutMs);

    // Nothing to write needs no link.
    session.Disconnect();
    EXPECT_EQ(RC_OK, ApplyUsbTimeouts(session, loaded, loaded));
}

// The user gives up while the first write of a change is in flight: it finishes, nothing more is
// sent, the change says what it wrote, and the link is left open for the page to read again.
TEST_F(SettingsSequencesTest, ACancelledChangeStopsBeforeTheNextWriteAndSaysWhatItWrote) {
    sensor.beforeAnswer = [this](std::uint8_t code) {
        if (code == 0x01 || code == 0x17) {
            session.Abort();
        }
    };
    SettingsApplyProgress progress;
    EXPECT_EQ(RC_CANCELLED, ApplyCameraChange(session, {1, true, std::uint8_t{5}}, &progress));
    EXPECT_EQ((Codes{0x01}), sensor.Codes());
    EXPECT_EQ(1, sensor.direction);
    EXPECT_EQ("Camera.Camera", progress.Written());
    EXPECT_EQ("Camera.Mode", progress.NotWritten());
    EXPECT_TRUE(session.IsConnected());

    session.ClearAbort();
    sensor.ClearCodes();
    EXPECT_EQ(RC_CANCELLED, ApplyUsbTimeouts(session, {100, 200}, {5000, 3000}, &progress));
    EXPECT_EQ((Codes{0x17}), sensor.Codes());
    EXPECT_EQ(100, sensor.sendTimeoutMs);
    EXPECT_EQ(3000, sensor.receiveTimeoutMs);
    EXPECT_EQ("System.USBSendTimeout", progress.Written());
    EXPECT_EQ("System.USBReceiveTimeout", progress.NotWritten());
    EXPECT_TRUE(session.IsConnected());

    session.ClearAbort();
    CameraValues values;
    ASSERT_EQ(RC_OK, LoadCameraValues(session, values));
    EXPECT_EQ(1, values.direction);
}

TEST_F(SettingsSequencesTest, AnUninterruptedChangeReportsEveryWriteDone) {
    SettingsApplyProgress progress;
    ASSERT_EQ(RC_OK, ApplyCameraChange(session, {2, true, std::uint8_t{4}}, &progress));
    EXPECT_EQ("Camera.Camera to Camera.Mode", progress.Written());
    EXPECT_EQ("", progress.NotWritten());
    ASSERT_EQ(RC_OK, ApplyUsbTimeouts(session, {5000, 700}, {5000, 3000}, &progress));
    EXPECT_EQ("System.USBReceiveTimeout", progress.Written());
    EXPECT_EQ("", progress.NotWritten());
    // Failing at the read-back: the write is on the sensor.
    sensor.storeMode = [](std::uint8_t) { return std::uint8_t{0}; };
    EXPECT_EQ(RC_VERIFY_MISMATCH, ApplyCameraChange(session, {0, false, std::uint8_t{6}}, &progress));
    EXPECT_EQ("Camera.Mode", progress.Written());
    // Failing at the write: it is not.
    sensor.status[0x01] = 0xE3;
    EXPECT_EQ(-0xE3, ApplyCameraChange(session, {3, true, std::uint8_t{6}}, &progress));
    EXPECT_EQ("", progress.Written());
    EXPECT_EQ("Camera.Camera to Camera.Mode", progress.NotWritten());
}

TEST_F(SettingsSequencesTest, ACancelAfterTheSettingsWereReadFailsTheLoadInsteadOfSkippingTheStatus) {
    const CameraValues before{2, 9, true};
    CameraValues values = before;
    sensor.beforeAnswer = [this](std::uint8_t code) {
        if (code == 0x6E) {
            session.Abort();
        }
    };
    EXPECT_EQ(RC_CANCELLED, LoadCameraValues(session, values));
    EXPECT_EQ((Codes{0x02, 0x6E}), sensor.Codes());
    EXPECT_EQ(before, values);
    EXPECT_FALSE(session.IsConnected());
}

} // namespace
} // namespace orlo
