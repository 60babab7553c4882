#include "core/device/ConnectProcedures.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/DeviceSession.h"
#include "core/device/SystemCommands.h"
#include "tests/support/Eventually.h"
#include "tests/support/HostilePeer.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/StalledListener.h"
#include "tests/support/TempDirectory.h"
#include "tests/support/ThreadCount.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::Eventually;
using test::HostilePeer;
using test::ScriptedPeer;

// Far above what an abort takes (bench/ has the figures), far below any time-out in these tests.
constexpr auto kPromptly = 1s;

// A sensor that answers as a healthy one while `answering` is set, `delay` after each request, and
// otherwise reads the requests and stays silent.
ScriptedPeer::Script SilentUnless(const std::atomic<bool>& answering, std::chrono::milliseconds delay = 0ms) {
    return [&answering,
            delay](const ScriptedPeer::Request& request) -> std::optional<std::vector<std::uint8_t>> {
        if (!answering) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(delay);
        return HostilePeer::HealthySensor(request.code);
    };
}

struct AbortedRun {
    ResultCode result = RC_OK;
    Clock::duration afterAbort{};
};

// Runs `operation` on a thread of its own and aborts the session 50 ms after `started` holds; returns
// the operation's result and how long after the abort it ended.
AbortedRun AbortDuring(DeviceSession& session, const std::function<ResultCode()>& operation,
                       const std::function<bool()>& started) {
    AbortedRun run;
    std::thread worker([&] { run.result = operation(); });
    EXPECT_TRUE(Eventually(started));
    std::this_thread::sleep_for(50ms);
    const auto abortAt = Clock::now();
    session.Abort();
    worker.join();
    run.afterAbort = Clock::now() - abortAt;
    std::cout << "aborted after "
              << std::chrono::duration_cast<std::chrono::microseconds>(run.afterAbort).count() / 1000.0
              << " ms\n";
    return run;
}

class SessionAbortTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    DeviceSession session{directory.Path()};
    std::atomic<bool> answering{false};
    DeviceInfo info;

    // An exchange waiting for a silent sensor ends at once on Abort and leaves the session closed,
    // without a reader thread; until ClearAbort nothing more is sent, then `connect` works again.
    void ExpectAbortEndsTheExchange(const ScriptedPeer& peer, const std::function<ResultCode()>& connect) {
        const std::size_t threads = test::ThreadCount();
        answering = true;
        ASSERT_EQ(RC_OK, connect());
        answering = false;
        const std::size_t sent = peer.Requests().size();

        const AbortedRun run = AbortDuring(
            session, [&] { return GetDeviceInfo(session, 10'000, info); },
            [&] { return peer.Requests().size() > sent; });
        EXPECT_EQ(RC_CANCELLED, run.result);
        EXPECT_LT(run.afterAbort, kPromptly);
        EXPECT_FALSE(session.IsConnected());
        EXPECT_EQ(threads, test::ThreadCountSettledAt(threads));

        EXPECT_EQ(RC_CANCELLED, session.Transact(0x00, {}, 1000));
        EXPECT_EQ(RC_CANCELLED, connect());
        EXPECT_EQ(sent + 1, peer.Requests().size());
        EXPECT_EQ(threads, test::ThreadCountSettledAt(threads));

        answering = true;
        session.ClearAbort();
        ASSERT_EQ(RC_OK, connect());
        EXPECT_EQ(RC_OK, GetDeviceInfo(session, 1000, info));
    }
};

TEST_F(SessionAbortTest, AbortEndsATcpExchangeWithASilentSensorAtOnce) {
    test::TcpPeer peer(SilentUnless(answering));
    ExpectAbortEndsTheExchange(peer, [&] { return ConnectLan(session, "127.0.0.1", peer.Port(), 90); });
    EXPECT_EQ(2, peer.Accepted()); // the cancelled connect did not even reach the sensor
}

TEST_F(SessionAbortTest, AbortEndsASerialExchangeWithASilentSensorAtOnce) {
    test::PtyPeer peer(SilentUnless(answering));
    ASSERT_FALSE(peer.Path().empty()) << "no pseudo-terminal available";
    ExpectAbortEndsTheExchange(peer, [&] { return ConnectCom(session, peer.Path(), 115200, 90); });
}

TEST_F(SessionAbortTest, AnAbortJustAsTheWaitBeginsIsNeverLost) {
    test::TcpPeer peer(SilentUnless(answering));
    // The abort lands anywhere from before the request to inside the wait for its answer.
    for (int round = 0; round < 40; ++round) {
        session.ClearAbort();
        ASSERT_TRUE(session.SocketConnection().Open("127.0.0.1", peer.Port()));
        session.Attach(session.SocketConnection(), ConnectionType::Lan);
        ResultCode result = RC_OK;
        std::thread worker([&] { result = GetDeviceInfo(session, 10'000, info); });
        std::this_thread::sleep_for(std::chrono::microseconds(round * 25));
        const auto abortAt = Clock::now();
        session.Abort();
        worker.join();
        ASSERT_EQ(RC_CANCELLED, result) << "round " << round;
        ASSERT_LT(Clock::now() - abortAt, kPromptly) << "round " << round;
        ASSERT_FALSE(session.IsConnected());
    }
}

TEST_F(SessionAbortTest, AbortEndsALanConnectThatNeverCompletes) {
    test::StalledListener listener;
    if (!listener.Valid()) {
        GTEST_SKIP() << "the loopback listener's queue could not be filled";
    }
    const std::size_t threads = test::ThreadCount();
    const auto start = Clock::now();
    const AbortedRun run = AbortDuring(
        session, [&] { return ConnectLan(session, "127.0.0.1", listener.Port(), 90); },
        [&] { return Clock::now() - start > 200ms; });
    EXPECT_EQ(RC_CANCELLED, run.result);
    EXPECT_LT(run.afterAbort, kPromptly);
    EXPECT_FALSE(session.IsConnected());
    EXPECT_EQ(threads, test::ThreadCountSettledAt(threads));
}

TEST_F(SessionAbortTest, AbortEndsTheSerialProbeInsteadOfTryingTheOtherSpeeds) {
    test::PtyPeer peer(SilentUnless(answering));
    ASSERT_FALSE(peer.Path().empty()) << "no pseudo-terminal available";
    const AbortedRun run = AbortDuring(
        session, [&] { return ConnectCom(session, peer.Path(), 115200, 90); },
        [&] { return !peer.Requests().empty(); });
    EXPECT_EQ(RC_CANCELLED, run.result);
    // Well before the probe's own time-out would have ended the wait.
    EXPECT_LT(run.afterAbort, std::chrono::milliseconds(DeviceSession::CommandTimeoutMs / 2));
    EXPECT_EQ(1u, peer.Requests().size());
    EXPECT_FALSE(session.IsConnected());
}

TEST_F(SessionAbortTest, AbortEndsTheWaitForARestartedSensor) {
    test::TcpPeer peer(SilentUnless(answering));
    const std::uint16_t port = peer.Port();
    peer.CloseAfterThisClient(); // the sensor never comes back: every connect is refused
    session.SetLanParameters("127.0.0.1", port);
    session.RememberConnectionType(ConnectionType::Lan);
    session.SetReconnectLimit(10s);
    const auto start = Clock::now();
    const AbortedRun run = AbortDuring(
        session, [&] { return Reconnect(session); }, [&] { return Clock::now() - start > 300ms; });
    EXPECT_EQ(RC_CANCELLED, run.result);
    EXPECT_LT(run.afterAbort, kPromptly);
}

TEST_F(SessionAbortTest, BetweenUncutCommandsTheOneInFlightFinishesAndTheNextIsNotSent) {
    test::TcpPeer peer(SilentUnless(answering, 300ms));
    answering = true;
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 90));
    const std::size_t sent = peer.Requests().size();
    ResultCode second = RC_OK;
    const AbortedRun run = AbortDuring(
        session,
        [&] {
            const DeviceSession::UncutCommands uncut(session);
            const ResultCode first = SetThreshold(session, 1000, 700);
            second = SetThreshold(session, 1000, 800);
            return first;
        },
        [&] { return peer.Requests().size() > sent; });
    EXPECT_EQ(RC_OK, run.result);
    EXPECT_EQ(RC_CANCELLED, second);
    EXPECT_EQ(sent + 1, peer.Requests().size());
    // The link stayed in step: after ClearAbort the next answer is the next request's.
    ASSERT_TRUE(session.IsConnected());
    session.ClearAbort();
    EXPECT_EQ(RC_OK, GetDeviceInfo(session, 1000, info));
    EXPECT_EQ("O", info.name);
    EXPECT_EQ(0x00, peer.Requests().back().code);
}

TEST_F(SessionAbortTest, AnAbortWhileCommandsAreUncutReachesTheLinkWhenTheyEnd) {
    test::TcpPeer peer(SilentUnless(answering));
    answering = true;
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 90));
    {
        const DeviceSession::UncutCommands uncut(session);
        session.Abort();
        EXPECT_FALSE(session.SocketConnection().Aborted());
        EXPECT_TRUE(session.AbortRequested());
    }
    EXPECT_TRUE(session.SocketConnection().Aborted());
    EXPECT_EQ(RC_CANCELLED, GetDeviceInfo(session, 1000, info));
    EXPECT_FALSE(session.IsConnected());
}

} // namespace
} // namespace orlo
