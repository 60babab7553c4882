#include "cli/CommandLine.h"
#include "cli/Orloctl.h"
#include "tests/support/PrivateNetwork.h"

#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace orlo::cli {
namespace {

constexpr int kNoPrivateNetwork = 99;

// Runs check in a child process moved into a network of its own with loopback only, so that even a
// scan that should have been refused sends nothing out of the machine. The child's exit status:
// check's result, or kNoPrivateNetwork.
struct ScanRun {
    int status = 0;
    std::string out;
    std::string err;
};

ScanRun Scan(const std::string& range) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunOrloctl({"scan", range}, out, err);
    return {status, out.str(), err.str()};
}

int RunInPrivateNetwork(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        std::string why;
        ::_exit(test::PrivateNetwork::Enter({}, why) ? check() : kNoPrivateNetwork);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(OrloctlScan, RangesWithoutHostAddressesAreUsageErrors) {
    for (const char* range : {"0.120.7.1-5", "0.255.255.255-255", "224.0.0.1-3", "239.255.255.250-255",
                              "240.0.0.1-2", "255.255.255.255-255"}) {
        const int status = RunInPrivateNetwork([range] {
            const ScanRun run = Scan(range);
            const bool explained =
                run.err.find("orloctl: scan " + std::string(range) + ": not a range of host addresses") == 0;
            return explained && run.out.empty() ? run.status : 100;
        });
        if (status == kNoPrivateNetwork) {
            GTEST_SKIP() << "no private network namespace can be made here";
        }
        EXPECT_EQ(EXIT_USAGE, status) << range;
    }
    // Loopback stays allowed: the scan runs (or says that ICMP may not be sent).
    const int loopback = RunInPrivateNetwork([] { return Scan("127.0.0.1-2").status; });
    EXPECT_TRUE(loopback == EXIT_OK || loopback == EXIT_DEVICE_FAILED) << loopback;
}

} // namespace
} // namespace orlo::cli
