#include "cli/CommandLine.h"
#include "tests/cli/OrloctlFixture.h"
#include "tests/support/PtyPair.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace orlo::cli {
namespace {

TEST_F(OrloctlTest, PortTheUserMayNotOpenNamesTheDialoutGroup) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.Valid());
    ASSERT_EQ(::fchmod(pty.Slave(), 0), 0);
    const std::string port = pty.SlavePath();
    // No other thread at the fork (the child needs no simulator): a lock one held would stay held.
    simulator.reset();
    const int status = test::RunUnprivileged([&port] {
        const Outcome run = Plain({"--com", port, "--dir", "/nonexistent", "info"});
        if (run.status != EXIT_DEVICE_FAILED) {
            return 1;
        }
        const std::string expected = "orloctl: cannot open " + port +
                                     ": permission denied. Add your user to the dialout group (sudo usermod "
                                     "-aG dialout $USER) and log in again. (result -52)";
        return run.LastErrorLine() == expected ? 0 : 2;
    });
    EXPECT_EQ(status, 0);

    // A port that is simply not there gets the plain message.
    const Outcome missing = Plain({"--com", port + "-missing", "--dir", directory.Path().string(), "info"});
    EXPECT_EQ(EXIT_DEVICE_FAILED, missing.status);
    EXPECT_EQ(std::string::npos, missing.err.find("dialout")) << missing.err;
}

} // namespace
} // namespace orlo::cli
