#include "cli/CommandLine.h"
#include "tests/cli/OrloctlFixture.h"
#include "tests/support/HostilePeer.h"

namespace orlo::cli {
namespace {

TEST_F(OrloctlTest, AHostileSensorCannotHoldTheTool) {
    using test::HostilePeer;
    constexpr std::uint8_t getThreshold = 0x06;
    const auto run = [&](const HostilePeer& peer) {
        const auto start = std::chrono::steady_clock::now();
        Outcome outcome = Plain({"--lan", "127.0.0.1:" + std::to_string(peer.Port()), "--dir",
                                 directory.Path().string(), "get", "threshold"});
        took = std::chrono::steady_clock::now() - start;
        return outcome;
    };
    {
        // A megabyte announced and trickled 1 KiB every 0.1 s: two of the read's one-second time-outs.
        HostilePeer peer{
            HostilePeer::Plan(HostilePeer::Misbehaviour::Trickle, getThreshold, 1'024'000, 1024, 100ms)};
        const Outcome outcome = run(peer);
        EXPECT_EQ(EXIT_DEVICE_FAILED, outcome.status);
        EXPECT_NE(std::string::npos, outcome.LastErrorLine().find("(result 1)")) << outcome.err;
        EXPECT_TRUE(outcome.out.empty());
        EXPECT_LT(took, 10s);
    }
    {
        HostilePeer peer{HostilePeer::Plan(HostilePeer::Misbehaviour::ResetMidFrame, getThreshold, 8, 3)};
        const Outcome outcome = run(peer);
        EXPECT_EQ(EXIT_DEVICE_FAILED, outcome.status);
        EXPECT_NE(std::string::npos, outcome.LastErrorLine().find("(result -104)")) << outcome.err;
    }
}

} // namespace
} // namespace orlo::cli
