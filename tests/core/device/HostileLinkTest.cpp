// The session against a sensor that misbehaves on purpose: nothing it announces or withholds may hold
// an exchange for longer than a few of the command's time-outs, or hand a command a value.
#include "core/device/ConnectProcedures.h"
#include "core/device/DetectionCommands.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SystemCommands.h"
#include "tests/support/HostilePeer.h"
#include "tests/support/PtyPair.h"
#include "tests/support/TempDirectory.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::HostilePeer;
using Misbehaviour = HostilePeer::Misbehaviour;
using Plan = HostilePeer::Plan;

constexpr std::uint8_t CMD_GET_THRESHOLD = 0x06;
constexpr std::uint8_t CMD_EXECUTE_DETECTION = 0x03;
constexpr std::uint16_t Untouched = 4321;

class HostileLinkTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    DeviceSession session{directory.Path()};

    // Connects to a peer that misbehaves only on the threshold read, then reads the threshold.
    ResultCode ReadThresholdFrom(const HostilePeer& peer) {
        if (const ResultCode result = ConnectLan(session, "127.0.0.1", peer.Port(), 90); result != RC_OK) {
            return result;
        }
        const auto start = std::chrono::steady_clock::now();
        const ResultCode result = GetThreshold(session, DeviceSession::CommandTimeoutMs, threshold);
        took = std::chrono::steady_clock::now() - start;
        return result;
    }

    std::uint16_t threshold = Untouched;
    std::chrono::steady_clock::duration took{};
};

TEST_F(HostileLinkTest, TrickledPayloadEndsWithinAFewTimeOutsAndGivesNoValue) {
    // 1 KiB every 100 ms never lets a 1-second piece time-out expire; a megabyte would take 100 s.
    HostilePeer peer{Plan(Misbehaviour::Trickle, CMD_GET_THRESHOLD, 1'024'000, 1024, 100ms)};
    EXPECT_EQ(RC_TIMEOUT, ReadThresholdFrom(peer));
    EXPECT_EQ(Untouched, threshold);
    // The deadline of a command that uses a few bytes is two of its time-outs; leave room for a slow machine.
    const auto deadline =
        DeviceSession::ExchangeDeadline(DeviceSession::CommandTimeoutMs, 0, session.BaudRate());
    EXPECT_LT(took, deadline + 8s);
    EXPECT_GE(took, deadline - 100ms);
}

TEST_F(HostileLinkTest, TrickledPictureEndsAfterTwoTimeOutsAndItsTimeOnTheLine) {
    // Every kilobyte comes within the read's time-out, yet the picture would take 11 s: the exchange
    // ends once two time-outs and the time the picture needs at the line speed have passed.
    constexpr int timeoutMs = 200;
    constexpr std::uint32_t baud = 460800;
    const std::uint32_t useful = 10 + DeviceSession::ImageBufferSize;
    session.SetComParameters("", baud);
    HostilePeer peer{Plan(Misbehaviour::Trickle, CMD_EXECUTE_DETECTION, useful, 1024, 150ms)};
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 90));
    std::vector<std::uint8_t> picture(DeviceSession::ImageBufferSize);
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(RC_TIMEOUT, CaptureImage(session, timeoutMs, 1, width, height, picture.data()));
    const auto took = std::chrono::steady_clock::now() - start;
    const auto deadline = DeviceSession::ExchangeDeadline(timeoutMs, useful, baud);
    EXPECT_LT(took, deadline + 1s) << "deadline " << deadline.count() << " ms";
    EXPECT_GE(took, deadline - 50ms);
}

TEST_F(HostileLinkTest, PictureAtTheLineSpeedStillArrives) {
    // 1 KiB every 22 ms is 460800 baud at 10 bits a byte: slow, but what the line allows.
    const std::uint32_t useful = 10 + DeviceSession::ImageBufferSize;
    session.SetComParameters("", 460800);
    HostilePeer peer{Plan(Misbehaviour::Trickle, CMD_EXECUTE_DETECTION, useful, 1024, 22ms)};
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 90));
    EXPECT_EQ(RC_OK, session.Transact(CMD_EXECUTE_DETECTION, {}, 500, useful));
    EXPECT_EQ(useful, session.ResponseLength());
}

TEST_F(HostileLinkTest, LyingLengthMalformedHeaderAndResetEachEndTheExchange) {
    {
        HostilePeer peer{Plan(Misbehaviour::LyingLength, CMD_GET_THRESHOLD, 1'024'000, 1500)};
        EXPECT_EQ(RC_TIMEOUT, ReadThresholdFrom(peer));
        EXPECT_LT(took, 10s);
    }
    {
        HostilePeer peer{Plan(Misbehaviour::MalformedHeader, CMD_GET_THRESHOLD, 0, 8)};
        EXPECT_EQ(RC_BAD_HEADER, ReadThresholdFrom(peer));
        // The frame's rest is dropped by the next request.
        DeviceInfo info;
        EXPECT_EQ(RC_OK, GetDeviceInfo(session, DeviceSession::CommandTimeoutMs, info));
    }
    {
        // A connection reset in the middle of a frame is a lost link, reported at once.
        HostilePeer peer{Plan(Misbehaviour::ResetMidFrame, CMD_GET_THRESHOLD, 8, 3)};
        EXPECT_EQ(RC_SEND_FAILED, ReadThresholdFrom(peer));
        EXPECT_LT(took, 900ms);
        DeviceInfo info;
        EXPECT_EQ(RC_SEND_FAILED, GetDeviceInfo(session, DeviceSession::CommandTimeoutMs, info));
    }
    EXPECT_EQ(Untouched, threshold);
}

TEST_F(HostileLinkTest, SerialHangUpEndsTheWaitAtOnce) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.Valid());
    ASSERT_TRUE(session.SerialConnection().Open(pty.SlavePath(), 115200));
    session.Attach(session.SerialConnection(), ConnectionType::Com);
    std::thread unplug([&] {
        if (pty.Read(4, 2s).size() == 4) {
            pty.Write({0xFE, 0x00, 0x10, 0x00, 0x00, 0x00, 1, 2}); // half a frame, then gone
            std::this_thread::sleep_for(50ms);
            pty.CloseMaster();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    // The 48-second time-out of a detection at 115200 baud.
    EXPECT_EQ(RC_SEND_FAILED, session.Transact(0x03, {}, 48'000, 16));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    unplug.join();
    EXPECT_EQ(RC_SEND_FAILED, session.Transact(0x02, {}, 1000));
}

} // namespace
} // namespace orlo
