#include "core/platform/IpRangeScanner.h"

#include "tests/core/platform/icmp/IcmpTestSupport.h"
#include "tests/support/PrivateNetwork.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

namespace orlo {
namespace {

using test::PrivateNetwork;

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

// A range of the one address.
ScanRange Only(const Ipv4Address& address) {
    return ScanRange::FromEnd(address, address[3]);
}

TEST(ScanRange, OnlyRangesOfHostAddressesMayBeSearched) {
    EXPECT_FALSE(Only({0, 0, 0, 0}).IsHostRange());
    EXPECT_FALSE(Only({0, 255, 255, 255}).IsHostRange());
    EXPECT_TRUE(Only({1, 0, 0, 0}).IsHostRange());
    EXPECT_TRUE(Only({127, 0, 0, 1}).IsHostRange());
    EXPECT_TRUE(Only({192, 168, 0, 1}).IsHostRange());
    EXPECT_TRUE(Only({223, 255, 255, 255}).IsHostRange());
    EXPECT_FALSE(Only({224, 0, 0, 0}).IsHostRange());
    EXPECT_FALSE(Only({239, 255, 255, 255}).IsHostRange());
    EXPECT_FALSE(Only({240, 0, 0, 0}).IsHostRange());
    EXPECT_FALSE(Only({255, 255, 255, 255}).IsHostRange());
    // The whole range goes by its first byte, whatever its last.
    EXPECT_FALSE(ScanRange::FromEnd({0, 120, 7, 1}, 255).IsHostRange());
    EXPECT_TRUE(ScanRange::FromEnd({223, 1, 2, 0}, 255).IsHostRange());
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

// What a scan in a child process reports back.
struct ChildScan {
    bool entered = false;
    IcmpSocketError error = IcmpSocketError::None;
    bool cancelled = true;
    std::size_t answered = 0;
    std::vector<int>::size_type reports = 0;
    int lastReport = -1;
};

// Scans A.B.C.1-4 in a child process moved into a network of its own, where the range is routed to
// loopback: no address answers, and no packet can leave the machine.
ChildScan ScanSilentRangeInAPrivateNetwork(PrivateNetwork::Prefix prefix) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ChildScan outcome;
        std::string why;
        outcome.entered = PrivateNetwork::Enter({prefix}, why);
        if (outcome.entered) {
            std::vector<int> progress;
            const ScanResult result =
                IpRangeScanner().Scan(ScanRange::FromEnd({prefix[0], prefix[1], prefix[2], 1}, 4),
                                      [&](int percent) { progress.push_back(percent); });
            outcome = {true,
                       result.error,
                       result.cancelled,
                       result.answered.size(),
                       progress.size(),
                       progress.empty() ? -1 : progress.back()};
        }
        const bool written =
            ::write(channel[1], &outcome, sizeof outcome) == static_cast<ssize_t>(sizeof outcome);
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    ChildScan outcome;
    if (child < 0 || ::read(channel[0], &outcome, sizeof outcome) != static_cast<ssize_t>(sizeof outcome)) {
        outcome = {};
    }
    ::close(channel[0]);
    if (child > 0) {
        ::waitpid(child, nullptr, 0);
    }
    return outcome;
}

TEST_F(IpRangeScannerNetwork, SilentAddressesAreAbsent) {
    const ChildScan scan = ScanSilentRangeInAPrivateNetwork({198, 51, 100});
    if (!scan.entered) {
        GTEST_SKIP() << "no private network namespace can be made here";
    }
    if (scan.error != IcmpSocketError::None) {
        GTEST_SKIP() << "no ICMP socket inside the private network";
    }
    EXPECT_FALSE(scan.cancelled);
    EXPECT_EQ(0u, scan.answered);
    EXPECT_GT(scan.reports, 0u);
    EXPECT_EQ(100, scan.lastReport);
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
