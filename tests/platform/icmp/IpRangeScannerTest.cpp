#include "platform/IpRangeScanner.h"

#include "tests/platform/icmp/IcmpTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace orlo {
namespace {

struct ProgressLog {
    std::vector<int> values;
    std::function<void(int)> Callback() {
        return [this](int percent) { values.push_back(percent); };
    }
    void ExpectRisesTo100() const {
        ASSERT_FALSE(values.empty());
        for (std::size_t i = 1; i < values.size(); ++i) {
            EXPECT_GT(values[i], values[i - 1]) << "at report " << i;
        }
        EXPECT_GE(values.front(), 0);
        EXPECT_EQ(values.back(), 100);
    }
};

std::vector<Ipv4Address> Addresses(std::array<std::uint8_t, 3> prefix, int first, int last) {
    std::vector<Ipv4Address> addresses;
    for (int x = first; x <= last; ++x) {
        addresses.push_back({prefix[0], prefix[1], prefix[2], static_cast<std::uint8_t>(x)});
    }
    return addresses;
}

class IpRangeScannerNetwork : public testing::Test {
protected:
    void SetUp() override {
        if (const auto why = IcmpUnavailable()) {
            GTEST_SKIP() << *why;
        }
    }
};

TEST(ScanRange, EndValueIsLimitedAndNeverWrapsBelowTheStart) {
    const ScanRange limited = ScanRange::FromEnd({192, 168, 0, 10}, 300);
    EXPECT_EQ(limited.Prefix(), (std::array<std::uint8_t, 3>{192, 168, 0}));
    EXPECT_EQ(limited.First(), 10);
    EXPECT_EQ(limited.Last(), 255);
    EXPECT_EQ(limited.Count(), 246);
    EXPECT_EQ(limited.At(255), (Ipv4Address{192, 168, 0, 255}));

    EXPECT_EQ(ScanRange::FromEnd({192, 168, 0, 10}, 10).Count(), 1);
    EXPECT_EQ(ScanRange::FromEnd({192, 168, 0, 10}, 9).Count(), 0);
    EXPECT_EQ(ScanRange::FromEnd({192, 168, 0, 10}, -1).Count(), 0);
    EXPECT_EQ(ScanRange::FromEnd({10, 0, 0, 0}, 255).Count(), 256);
    // 266 would be 10 in its low byte; it must not become a one-address or empty range.
    EXPECT_EQ(ScanRange::FromEnd({10, 0, 0, 200}, 266).Count(), 56);
}

TEST(IpRangeScanner, EmptyRangeScansNothing) {
    ProgressLog progress;
    const ScanResult result =
        IpRangeScanner().Scan(ScanRange::FromEnd({127, 0, 0, 10}, 9), progress.Callback());
    EXPECT_EQ(result.error, IcmpSocketError::None);
    EXPECT_TRUE(result.errorText.empty());
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(result.answered.empty());
    EXPECT_TRUE(progress.values.empty());
}

TEST_F(IpRangeScannerNetwork, LoopbackAnswersEveryAddressInAscendingOrder) {
    ProgressLog progress;
    const ScanResult result =
        IpRangeScanner().Scan(ScanRange::FromEnd({127, 0, 0, 1}, 5), progress.Callback());
    EXPECT_EQ(result.error, IcmpSocketError::None);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.answered, Addresses({127, 0, 0}, 1, 5));
    progress.ExpectRisesTo100();
}

TEST_F(IpRangeScannerNetwork, LimitedEndScansUpTo255) {
    ProgressLog progress;
    const ScanResult result =
        IpRangeScanner().Scan(ScanRange::FromEnd({127, 1, 2, 250}, 300), progress.Callback());
    EXPECT_EQ(result.answered, Addresses({127, 1, 2}, 250, 255));
    progress.ExpectRisesTo100();
}

TEST_F(IpRangeScannerNetwork, WholeLoopbackBlockAnswers) {
    ProgressLog progress;
    const ScanResult result =
        IpRangeScanner().Scan(ScanRange::FromEnd({127, 3, 4, 0}, 255), progress.Callback());
    EXPECT_EQ(result.answered, Addresses({127, 3, 4}, 0, 255));
    progress.ExpectRisesTo100();
}

// Documentation addresses are never routed: at most an unreachable comes back, which is no answer.
TEST_F(IpRangeScannerNetwork, SilentAddressesAreAbsent) {
    ProgressLog progress;
    const ScanResult result =
        IpRangeScanner().Scan(ScanRange::FromEnd({198, 51, 100, 1}, 4), progress.Callback());
    EXPECT_EQ(result.error, IcmpSocketError::None);
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(result.answered.empty());
    progress.ExpectRisesTo100();
}

TEST_F(IpRangeScannerNetwork, CancelBeforeStartSendsNothing) {
    const std::atomic<bool> cancel{true};
    ProgressLog progress;
    const ScanResult result =
        IpRangeScanner().Scan(ScanRange::FromEnd({127, 0, 0, 1}, 5), progress.Callback(), &cancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.answered.empty());
    EXPECT_TRUE(progress.values.empty());
}

TEST_F(IpRangeScannerNetwork, CancelDuringScanStopsIt) {
    std::atomic<bool> cancel{false};
    std::vector<int> values;
    const ScanResult result = IpRangeScanner().Scan(
        ScanRange::FromEnd({127, 0, 0, 0}, 255),
        [&](int percent) {
            values.push_back(percent);
            cancel = true;
        },
        &cancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_LT(result.answered.size(), 256u);
    ASSERT_FALSE(values.empty());
    EXPECT_LT(values.back(), 100);
}

TEST_F(IpRangeScannerNetwork, ConcurrentScansOnWorkerThreadsKeepTheirOwnResults) {
    ScanResult first;
    ScanResult second;
    std::thread a([&] { first = IpRangeScanner().Scan(ScanRange::FromEnd({127, 0, 1, 1}, 40), {}); });
    std::thread b([&] { second = IpRangeScanner().Scan(ScanRange::FromEnd({127, 0, 1, 21}, 60), {}); });
    a.join();
    b.join();
    EXPECT_EQ(first.answered, Addresses({127, 0, 1}, 1, 40));
    EXPECT_EQ(second.answered, Addresses({127, 0, 1}, 21, 60));
}

} // namespace
} // namespace orlo
