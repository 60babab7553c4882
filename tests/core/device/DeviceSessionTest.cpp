#include "core/device/DeviceSession.h"

#include "tests/support/FakeConnection.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

using test::FakeConnection;
using test::ResponseFrame;

class DeviceSessionTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    // Declared before the session: the session closes its link when it goes.
    FakeConnection link;
    DeviceSession session{directory.Path()};

    void SetUp() override { session.Attach(link, ConnectionType::Lan); }
};

TEST_F(DeviceSessionTest, RequestFrameCarriesStartByteCodeLengthAndPayload) {
    link.QueueResponse(ResponseFrame(0x00));
    const std::uint8_t payload[] = {0x01, 0x40, 0x21};
    EXPECT_EQ(RC_OK, session.Transact(0x03, payload, 1000));
    ASSERT_EQ(1u, link.Sent().size());
    EXPECT_EQ((std::vector<std::uint8_t>{0xFE, 0x03, 0x03, 0x00, 0x01, 0x40, 0x21}), link.Sent()[0]);
    EXPECT_EQ(7u, session.RequestLength());
}

TEST_F(DeviceSessionTest, HeaderChecks) {
    // A wrong start byte fails even when the status says OK.
    link.QueueResponse({0xFD, 0x00, 0x00, 0x00, 0x00, 0x00});
    EXPECT_EQ(RC_BAD_HEADER, session.Transact(0x02, {}, 1000));

    link.QueueResponse(ResponseFrame(0x50));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, session.Transact(0x01, {}, 1000));

    // Status 0x50 still reads the payload, so the next exchange starts clean.
    link.QueueResponse(ResponseFrame(0x50, {0x07}));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, session.Transact(0x02, {}, 1000));
    EXPECT_EQ(0u, link.Unread());
}

TEST_F(DeviceSessionTest, DeviceErrorStatusIsNegatedAndItsPayloadIsNotRead) {
    link.QueueResponse(ResponseFrame(0x03, {1, 2, 3, 4}));
    EXPECT_EQ(-3, session.Transact(0x02, {}, 1000));
    EXPECT_EQ(4u, link.Unread());
    EXPECT_EQ(4u, session.ResponseLength());
    ASSERT_EQ(1u, link.Waits().size());

    link.QueueResponse(ResponseFrame(0xF3));
    EXPECT_EQ(-0xF3, session.Transact(0x02, {}, 1000));
}

TEST_F(DeviceSessionTest, PayloadIsReadInPiecesOf1024EachWithTheTimeout) {
    std::vector<std::uint8_t> payload(2500);
    for (std::size_t i = 0; i < payload.size(); ++i) {
        payload[i] = static_cast<std::uint8_t>(i * 7);
    }
    link.QueueResponse(ResponseFrame(0x00, payload));
    EXPECT_EQ(RC_OK, session.Transact(0x03, {}, 48000));

    ASSERT_EQ(4u, link.Waits().size());
    const std::uint32_t counts[] = {6, 1024, 1024, 452};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(counts[i], link.Waits()[i].count);
        EXPECT_EQ(48000, link.Waits()[i].timeoutMs);
    }
    const auto received = session.ResponsePayload();
    EXPECT_EQ(payload, std::vector<std::uint8_t>(received.begin(), received.end()));
}

TEST_F(DeviceSessionTest, TimeOutsAndShortArrivals) {
    link.QueueResponse({0xFE, 0x00, 0x00});
    EXPECT_EQ(RC_TIMEOUT, session.Transact(0x02, {}, 1000));

    // Header complete, payload one byte short: the piece never completes.
    link.QueueResponse(ResponseFrame(0x00, {1, 2}, 3));
    EXPECT_EQ(RC_TIMEOUT, session.Transact(0x02, {}, 1000));

    std::vector<std::uint8_t> destination(10);
    std::uint32_t length = 0;
    EXPECT_EQ(RC_OK, session.ReceiveBytes(1000, length, destination.data()));
    EXPECT_EQ(0u, length);
}

TEST_F(DeviceSessionTest, ReceiveBytesReportsTheCountReceivedOnFailure) {
    link.QueueResponse(std::vector<std::uint8_t>(1500, 0xAB));
    link.Send(0, nullptr);
    std::vector<std::uint8_t> destination(3000);
    std::uint32_t length = 3000;
    EXPECT_EQ(RC_TIMEOUT, session.ReceiveBytes(1000, length, destination.data()));
    EXPECT_EQ(1024u, length);
}

TEST_F(DeviceSessionTest, OversizedPayloadIsDrainedAndRejectedWithoutOverrun) {
    const std::uint32_t announced = DeviceSession::ResponseBufferSize + 3000;
    link.QueueResponse(ResponseFrame(0x00, std::vector<std::uint8_t>(announced, 0x5A)));
    EXPECT_EQ(RC_SHORT_RESPONSE, session.Transact(0x03, {}, 1000));
    EXPECT_EQ(0u, link.Unread());
    EXPECT_EQ(DeviceSession::ResponseBufferSize, session.ResponsePayload().size());

    // The next exchange is unaffected.
    link.QueueResponse(ResponseFrame(0x00, {2}));
    EXPECT_EQ(RC_OK, session.Transact(0x02, {}, 1000));
    EXPECT_EQ(2, session.ResponsePayload()[0]);
}

TEST_F(DeviceSessionTest, HugeAnnouncedLengthFailsWithoutWaitingForIt) {
    link.QueueResponse(ResponseFrame(0x00, {1, 2, 3}, 0xFFFFFFFFu));
    EXPECT_EQ(RC_SHORT_RESPONSE, session.Transact(0x03, {}, 1000));
    EXPECT_EQ(0xFFFFFFFFu, session.ResponseLength());
}

TEST_F(DeviceSessionTest, SendFailures) {
    link.FailNextSend(2);
    EXPECT_EQ(RC_SEND_FAILED, session.Transact(0x02, {}, 1000));
    EXPECT_TRUE(link.Waits().empty());

    DeviceSession unconnected(directory.Path());
    EXPECT_EQ(RC_SEND_FAILED, unconnected.Transact(0x02, {}, 1000));
    EXPECT_EQ(RC_NO_LINK, unconnected.SendFrame());
}

TEST_F(DeviceSessionTest, DisconnectClosesTheLinkAndKeepsTheRememberedParameters) {
    session.SetLanParameters("192.168.0.10", 9600);
    session.SetComParameters("/dev/ttyACM0", 38400);
    session.SetAngleOfView(50);
    session.Disconnect();

    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(ConnectionType::None, session.GetConnectionType());
    EXPECT_EQ(RC_SEND_FAILED, session.Transact(0x02, {}, 1000));
    EXPECT_EQ("192.168.0.10", session.IpAddress());
    EXPECT_EQ(9600, session.LanPort());
    EXPECT_EQ("/dev/ttyACM0", session.ComPort());
    EXPECT_EQ(38400u, session.BaudRate());
    EXPECT_EQ(50, session.AngleOfView());
}

TEST(DeviceSessionDefaults, InitialState) {
    test::TempDirectory directory;
    DeviceSession session(directory.Path());
    EXPECT_EQ(ConnectionType::None, session.GetConnectionType());
    EXPECT_EQ(115200u, session.BaudRate());
    EXPECT_EQ(65535, session.LanPort());
    EXPECT_EQ(90, session.AngleOfView());
    EXPECT_EQ(0, session.Portrait());
    ASSERT_EQ(1u, session.BlockBuffers().size());
    EXPECT_EQ(0, session.BlockBuffers()[0][DeviceSession::BlockBufferSize - 1]);
}

} // namespace
} // namespace orlo
