#include "core/device/SystemCommands.h"

#include "tests/support/FakeConnection.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

using test::FakeConnection;
using test::ResponseFrame;
using Bytes = std::vector<std::uint8_t>;

class SystemCommandsTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    // Declared before the session: the session closes its link when it goes.
    FakeConnection link;
    DeviceSession session{directory.Path()};

    void SetUp() override { session.Attach(link, ConnectionType::Com); }
    const Bytes& LastSent() const { return link.Sent().back(); }
};

Bytes DeviceInfoPayload(const std::string& name) {
    Bytes payload(19, 0);
    std::copy(name.begin(), name.end(), payload.begin());
    payload[12] = 1;
    payload[13] = 2;
    payload[14] = 3;
    payload[15] = 0x04;
    payload[16] = 0x01; // version 4 = 0x0104
    return payload;
}

TEST_F(SystemCommandsTest, DeviceInfoDecodesNameAndVersions) {
    link.QueueResponse(ResponseFrame(0x00, DeviceInfoPayload("Orlo-X1")));
    DeviceInfo info;
    ASSERT_EQ(RC_OK, GetDeviceInfo(session, 1000, info));
    EXPECT_EQ((Bytes{0xFE, 0x00, 0x00, 0x00}), LastSent());
    EXPECT_EQ("Orlo-X1", info.name);
    EXPECT_EQ(1u, info.version1);
    EXPECT_EQ(2u, info.version2);
    EXPECT_EQ(3u, info.version3);
    EXPECT_EQ(0x104u, info.version4);
}

TEST_F(SystemCommandsTest, DeviceInfoNameEdgeCases) {
    // Twelve bytes without a terminator are the whole name.
    link.QueueResponse(ResponseFrame(0x00, DeviceInfoPayload("ABCDEFGHIJKL")));
    DeviceInfo info;
    ASSERT_EQ(RC_OK, GetDeviceInfo(session, 1000, info));
    EXPECT_EQ("ABCDEFGHIJKL", info.name);

    // A CP932 model name arrives as UTF-8.
    link.QueueResponse(ResponseFrame(0x00, DeviceInfoPayload("\x83\x49\x83\x8B\x83\x8D"))); // オルロ
    ASSERT_EQ(RC_OK, GetDeviceInfo(session, 1000, info));
    EXPECT_EQ("オルロ", info.name);

    DeviceInfo untouched;
    untouched.name = "before";
    auto shortPayload = DeviceInfoPayload("X");
    shortPayload.pop_back();
    link.QueueResponse(ResponseFrame(0x00, shortPayload));
    EXPECT_EQ(RC_SHORT_RESPONSE, GetDeviceInfo(session, 1000, untouched));
    EXPECT_EQ("before", untouched.name);

    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, GetDeviceInfo(session, 1000, untouched));
}

TEST_F(SystemCommandsTest, MountingDirectionUpdatesPortraitOnlyForKnownValues) {
    std::uint8_t direction = 0;
    link.QueueResponse(ResponseFrame(0x00, {3}));
    ASSERT_EQ(RC_OK, GetMountingDirection(session, 1000, direction));
    EXPECT_EQ(1, session.Portrait());
    link.QueueResponse(ResponseFrame(0x00, {4}));
    ASSERT_EQ(RC_OK, GetMountingDirection(session, 1000, direction));
    EXPECT_EQ(4, direction);
    EXPECT_EQ(1, session.Portrait());
    link.QueueResponse(ResponseFrame(0x00, {2}));
    ASSERT_EQ(RC_OK, GetMountingDirection(session, 1000, direction));
    EXPECT_EQ(0, session.Portrait());

    // Status 0x50 on a read leaves the output as it was.
    direction = 9;
    link.QueueResponse(ResponseFrame(0x50, {1}));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, GetMountingDirection(session, 1000, direction));
    EXPECT_EQ(9, direction);
    EXPECT_EQ(0, session.Portrait());

    link.QueueResponse(ResponseFrame(0x00));
    EXPECT_EQ(RC_OK, SetMountingDirection(session, 1000, 1));
    EXPECT_EQ((Bytes{0xFE, 0x01, 0x01, 0x00, 0x01}), LastSent());
}

TEST_F(SystemCommandsTest, RequestLayouts) {
    for (int i = 0; i < 8; ++i) {
        link.QueueResponse(ResponseFrame(0x00));
    }
    EXPECT_EQ(RC_OK, SetCommSpeed(session, 1000, 38400));
    EXPECT_EQ((Bytes{0xFE, 0x0E, 0x01, 0x00, 0x01}), LastSent());
    EXPECT_EQ(RC_OK, SetCommSpeed(session, 1000, 57600));
    EXPECT_EQ((Bytes{0xFE, 0x0E, 0x01, 0x00, 0xFF}), LastSent());
    EXPECT_EQ(RC_OK, SetUsbSendTimeout(session, 1000, 500));
    EXPECT_EQ((Bytes{0xFE, 0x17, 0x02, 0x00, 0xF4, 0x01}), LastSent());
    EXPECT_EQ(RC_OK, SetOther02To06(session, 1000, {1, 2, 0x0304, 5, 6}));
    EXPECT_EQ((Bytes{0xFE, 0x69, 0x06, 0x00, 1, 2, 0x04, 0x03, 5, 6}), LastSent());
    EXPECT_EQ(RC_OK, SetOther27To28(session, 1000, {7, 8}));
    EXPECT_EQ((Bytes{0xFE, 0x7A, 0x06, 0x00, 7, 8, 0x00, 0x08, 0x46, 0x82}), LastSent());
    EXPECT_EQ(RC_OK, SetOperatingMode(session, 1000, 0x21));
    EXPECT_EQ((Bytes{0xFE, 0x6D, 0x01, 0x00, 0x21}), LastSent());
    EXPECT_EQ(RC_OK, SetOther01(session, 1000, 0xABCD));
    EXPECT_EQ((Bytes{0xFE, 0x63, 0x02, 0x00, 0xCD, 0xAB}), LastSent());

    // Device text: CP932 on the wire, zero-padded to 20 bytes.
    EXPECT_EQ(RC_OK, SetDeviceInfoText(session, 1000, "入口A"));
    Bytes expected{0xFE, 0x0C, 20, 0x00, 0x93, 0xFC, 0x8C, 0xFB, 'A'};
    expected.resize(24, 0);
    EXPECT_EQ(expected, LastSent());
}

TEST_F(SystemCommandsTest, DeviceTextIsCutAtACharacterBoundary) {
    link.QueueResponse(ResponseFrame(0x00));
    // 19 ASCII bytes then a double-byte character: the character does not fit and is left out.
    EXPECT_EQ(RC_OK, SetDeviceInfoText(session, 1000, std::string(19, 'x') + "入"));
    ASSERT_EQ(24u, LastSent().size());
    EXPECT_EQ('x', LastSent()[22]);
    EXPECT_EQ(0, LastSent()[23]);

    Bytes full(20, 'y');
    link.QueueResponse(ResponseFrame(0x00, full));
    std::string text;
    ASSERT_EQ(RC_OK, GetDeviceInfoText(session, 1000, text));
    EXPECT_EQ(std::string(20, 'y'), text);
}

TEST_F(SystemCommandsTest, ReadsDecodeTheirValues) {
    link.QueueResponse(ResponseFrame(0x00, {1, 2, 0x34, 0x12, 5, 6, 99}));
    Other02To06 others;
    ASSERT_EQ(RC_OK, GetOther02To06(session, 1000, others));
    EXPECT_EQ((Other02To06{1, 2, 0x1234, 5, 6}), others);

    link.QueueResponse(ResponseFrame(0x00, {9}));
    Other27To28 pair{1, 1};
    EXPECT_EQ(RC_SHORT_RESPONSE, GetOther27To28(session, 1000, pair));
    EXPECT_EQ((Other27To28{1, 1}), pair);

    link.QueueResponse(ResponseFrame(0x00, {0xE8, 0x03}));
    std::uint16_t timeout = 0;
    ASSERT_EQ(RC_OK, GetUsbReceiveTimeout(session, 1000, timeout));
    EXPECT_EQ(1000, timeout);
}

TEST_F(SystemCommandsTest, WriteAndVerify) {
    link.QueueResponse(ResponseFrame(0x00));
    link.QueueResponse(ResponseFrame(0x00, {0xF3, 0x01})); // 499 read back
    EXPECT_EQ(RC_VERIFY_MISMATCH, SetUsbTimeoutsVerified(session, 500, 1000));
    ASSERT_EQ(2u, link.Sent().size()); // the receive time-out is not written

    link.QueueResponse(ResponseFrame(0x00));
    link.QueueResponse(ResponseFrame(0x00, {0xF4, 0x01}));
    link.QueueResponse(ResponseFrame(0x00));
    link.QueueResponse(ResponseFrame(0x00, {0xE8, 0x03}));
    EXPECT_EQ(RC_OK, SetUsbTimeoutsVerified(session, 500, 1000));
    EXPECT_EQ(0x1A, link.Sent().back()[1]);

    link.QueueResponse(ResponseFrame(0x00));
    link.QueueResponse(ResponseFrame(0x00, {4}));
    EXPECT_EQ(RC_VERIFY_MISMATCH, SetOperatingModeVerified(session, 3));

    link.QueueResponse(ResponseFrame(0x50));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, SetOperatingModeVerified(session, 3));
}

TEST_F(SystemCommandsTest, RestartSendsTheAccessCode) {
    link.QueueResponse(ResponseFrame(0x50));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, RestartAndInitialize(session, 1000));
    EXPECT_EQ((Bytes{0xFE, 0xFF, 0x09, 0x00, 'K', 'E', 'S', 'T', 'R', 'I', 'V', 'A', 0x5A}), LastSent());
    EXPECT_TRUE(session.IsConnected());

    link.QueueResponse(ResponseFrame(0xF3));
    EXPECT_EQ(-0xF3, Restart(session, 1000));
    EXPECT_EQ(0x00, LastSent()[12]);
    EXPECT_TRUE(session.IsConnected());

    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, Restart(session, 1000));
    EXPECT_EQ(RC_NO_LINK, SetCommSpeed(session, 1000, 9600));
    EXPECT_EQ(RC_NO_LINK, Recover(session));
}

TEST_F(SystemCommandsTest, RecoverOnLanUses115200) {
    session.Attach(link, ConnectionType::Lan);
    session.SetComParameters("/dev/ttyUSB0", 9600);
    link.QueueResponse(ResponseFrame(0x05));
    EXPECT_EQ(-5, Recover(session));
    EXPECT_EQ((Bytes{0xFE, 0x0E, 0x01, 0x00, 0x02}), LastSent());
    ASSERT_EQ(1u, link.Sent().size()); // no restart after a refused speed change
}

} // namespace
} // namespace orlo
