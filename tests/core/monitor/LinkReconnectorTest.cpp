#include "core/monitor/LinkReconnector.h"

#include "core/device/ConnectProcedures.h"
#include "core/device/SystemCommands.h"
#include "sim/Simulator.h"
#include "tests/support/TempDirectory.h"

#include <atomic>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace orlo {
namespace {

using namespace std::chrono_literals;

// Counts the success reports and lets a test wait for them.
class Reports {
public:
    LinkReconnector::Reconnected Callback() {
        return [this] {
            std::lock_guard lock(mutex_);
            ++count_;
            changed_.notify_all();
        };
    }
    bool AwaitOne(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [this] { return count_ > 0; });
    }
    int Count() {
        std::lock_guard lock(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

void AwaitAttempts(const LinkReconnector& reconnector, int count) {
    const auto limit = std::chrono::steady_clock::now() + 10s;
    while (reconnector.Attempts() < count && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(1ms);
    }
}

TEST(LinkReconnectorTest, RetriesUntilTheLinkAnswersAndReportsThatOnce) {
    LinkReconnector reconnector(5ms);
    Reports reports;
    std::vector<ResultCode> answers{RC_OPEN_FAILED, RC_TIMEOUT, RC_SEND_FAILED, RC_OK};
    std::atomic<std::size_t> next{0};
    ASSERT_TRUE(reconnector.Start([&] { return answers[next++]; }, reports.Callback()));
    ASSERT_TRUE(reports.AwaitOne(10s));
    reconnector.Stop();
    EXPECT_EQ(reconnector.Attempts(), 4);
    EXPECT_EQ(next.load(), 4U); // nothing tried after the success
    EXPECT_EQ(reports.Count(), 1);
    EXPECT_FALSE(reconnector.IsRetrying());
}

TEST(LinkReconnectorTest, StopEndsTheWaitBetweenAttemptsAtOnceWithoutAReport) {
    LinkReconnector reconnector(std::chrono::hours(1));
    Reports reports;
    ASSERT_TRUE(reconnector.Start([] { return RC_OPEN_FAILED; }, reports.Callback()));
    AwaitAttempts(reconnector, 1);
    EXPECT_TRUE(reconnector.IsRetrying());
    const auto before = std::chrono::steady_clock::now();
    reconnector.Stop();
    // An hour's wait that Stop did not end would show here (or as the test's time-out).
    EXPECT_LT(std::chrono::steady_clock::now() - before, 5s);
    EXPECT_EQ(reconnector.Attempts(), 1);
    EXPECT_FALSE(reconnector.IsRetrying());
    EXPECT_EQ(reports.Count(), 0);
}

TEST(LinkReconnectorTest, ASuccessThatEndsAfterStopBeganIsNotReported) {
    LinkReconnector reconnector(1ms);
    Reports reports;
    std::mutex gate;
    std::unique_lock held(gate);
    ASSERT_TRUE(reconnector.Start(
        [&] {
            std::lock_guard pass(gate);
            return RC_OK;
        },
        reports.Callback()));
    AwaitAttempts(reconnector, 1);
    EXPECT_TRUE(reconnector.IsAttempting());
    std::thread stopper([&] { reconnector.Stop(); });
    std::this_thread::sleep_for(20ms); // Stop is waiting for the attempt
    held.unlock();
    stopper.join();
    EXPECT_EQ(reports.Count(), 0);
    EXPECT_FALSE(reconnector.IsAttempting());
}

TEST(LinkReconnectorTest, OneRunAtATimeAndANewRunAfterStop) {
    LinkReconnector reconnector(std::chrono::hours(1));
    Reports first;
    ASSERT_TRUE(reconnector.Start([] { return RC_OPEN_FAILED; }, first.Callback()));
    EXPECT_FALSE(reconnector.Start([] { return RC_OK; }, first.Callback()));
    reconnector.Stop();
    Reports second;
    reconnector.SetInterval(1ms);
    ASSERT_TRUE(reconnector.Start([] { return RC_OK; }, second.Callback()));
    EXPECT_TRUE(second.AwaitOne(10s));
    // Ended by itself: the next run starts without a Stop.
    Reports third;
    ASSERT_TRUE(reconnector.Start([] { return RC_OK; }, third.Callback()));
    EXPECT_TRUE(third.AwaitOne(10s));
    EXPECT_EQ(first.Count(), 0);
}

// A real session over TCP: the sensor goes away, comes back on the same port after a while, and the
// retries bring the session back without anyone asking.
TEST(LinkReconnectorTest, SessionIsBackOnceTheSensorAnswersAgain) {
    constexpr auto SensorAbsence = 1500ms; // long enough for several failed attempts
    test::TempDirectory directory;
    sim::SimConfig simConfig;
    simConfig.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
    auto simulator = std::make_unique<sim::Simulator>(simConfig);
    std::string error;
    ASSERT_TRUE(simulator->start(error)) << error;
    const std::uint16_t port = simulator->tcpPort();
    DeviceSession session(directory.Path());
    ASSERT_EQ(ConnectLan(session, "127.0.0.1", port, 90), RC_OK);

    simulator.reset();
    session.Disconnect();
    LinkReconnector reconnector(200ms);
    Reports reports;
    ASSERT_TRUE(
        reconnector.Start([&] { return ConnectLan(session, "127.0.0.1", port, 90); }, reports.Callback()));
    std::this_thread::sleep_for(SensorAbsence);
    EXPECT_EQ(reports.Count(), 0);
    EXPECT_GE(reconnector.Attempts(), 2);
    simConfig.tcp = sim::TcpEndpoint{"127.0.0.1", port};
    simulator = std::make_unique<sim::Simulator>(simConfig);
    ASSERT_TRUE(simulator->start(error)) << error;
    ASSERT_TRUE(reports.AwaitOne(10s));
    reconnector.Stop();
    DeviceInfo info;
    EXPECT_EQ(GetDeviceInfo(session, DeviceSession::CommandTimeoutMs, info), RC_OK);
}

} // namespace
} // namespace orlo
