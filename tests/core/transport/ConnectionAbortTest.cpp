#include "core/transport/Connection.h"
#include "core/transport/SocketConnection.h"
#include "tests/support/StalledListener.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far above what an abort takes, far below the waits' own time-outs.
constexpr auto kPromptly = 1s;

// A link whose store the test fills by hand.
class ManualConnection : public CConnection {
public:
    std::uint32_t Send(std::uint32_t length, const std::uint8_t*) override { return length; }
    std::uint32_t Receive(std::uint32_t, std::uint8_t*) override { return 0; }
    bool HasBytes(std::uint32_t count) const override { return stored_ >= count; }
    void Store(std::uint32_t count) {
        stored_ = count;
        NotifyBytesArrived();
    }

private:
    std::atomic<std::uint32_t> stored_{0};
};

TEST(ConnectionAbortTest, AnAbortedLinkFailsEveryWaitUntilCleared) {
    ManualConnection link;
    link.Store(10);
    ASSERT_EQ(0, link.WaitForBytes(0, 10));
    link.Abort();
    EXPECT_TRUE(link.Aborted());
    // Even bytes already there are not handed on: the exchange is over.
    EXPECT_EQ(1, link.WaitForBytes(-1, 10));
    EXPECT_EQ(1, link.WaitForBytes(60'000, 11));
    link.ClearAbort();
    EXPECT_FALSE(link.Aborted());
    EXPECT_EQ(0, link.WaitForBytes(-1, 10));
}

TEST(ConnectionAbortTest, AnAbortFromAnotherThreadEndsAWaitWhereverItLands) {
    ManualConnection link;
    // From before the wait begins to well inside it.
    for (int round = 0; round < 200; ++round) {
        link.ClearAbort();
        int result = 0;
        std::thread waiter([&] { result = link.WaitForBytes(10'000, 1); });
        std::this_thread::sleep_for(std::chrono::microseconds(round * 5));
        const auto abortAt = Clock::now();
        link.Abort();
        waiter.join();
        // A lost wake-up would sleep out the whole time-out.
        ASSERT_LT(Clock::now() - abortAt, kPromptly) << "round " << round;
        ASSERT_EQ(1, result) << "round " << round;
    }
}

TEST(ConnectionAbortTest, AnAbortEndsATcpConnectInProgressAndRefusesTheNextUntilCleared) {
    test::StalledListener listener;
    if (!listener.Valid()) {
        GTEST_SKIP() << "the loopback listener's queue could not be filled";
    }
    CSocketConnection connection;
    std::atomic<bool> opened{true};
    std::thread opener([&] { opened = connection.Open("127.0.0.1", listener.Port()); });
    std::this_thread::sleep_for(200ms);
    const auto abortAt = Clock::now();
    connection.Abort();
    opener.join();
    EXPECT_LT(Clock::now() - abortAt, kPromptly);
    EXPECT_FALSE(opened);
    EXPECT_FALSE(connection.IsConnected());

    // While aborted not even a listening peer is reached.
    const auto start = Clock::now();
    EXPECT_FALSE(connection.Open("127.0.0.1", listener.Port()));
    EXPECT_LT(Clock::now() - start, kPromptly);
    connection.ClearAbort();
    EXPECT_FALSE(connection.Aborted());
}

} // namespace
} // namespace orlo
