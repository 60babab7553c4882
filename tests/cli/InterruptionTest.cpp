#include "cli/Interruption.h"

#include "tests/support/Eventually.h"

#include <atomic>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>

namespace orlo::cli {
namespace {

TEST(Interruption, ASignalAbortsEveryCommandRegisteredAndNoneThatLeft) {
    Interruption interruption;
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    std::atomic<int> gone{0};
    std::optional<Interruption::Registration> leaving;
    leaving.emplace(&interruption, [&] { ++gone; });
    Interruption::Registration one(&interruption, [&] { ++first; });
    Interruption::Registration two(&interruption, [&] { ++second; });
    leaving.reset();

    ASSERT_EQ(0, std::raise(SIGTERM));
    EXPECT_TRUE(test::Eventually([&] { return first == 1 && second == 1; }));
    EXPECT_EQ(0, gone);
    EXPECT_EQ(SIGTERM, interruption.Signal());

    // One registered after the signal runs at once.
    std::atomic<int> late{0};
    Interruption::Registration three(&interruption, [&] { ++late; });
    EXPECT_EQ(1, late);
}

} // namespace
} // namespace orlo::cli
