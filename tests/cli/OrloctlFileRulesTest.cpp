#include "cli/CommandLine.h"
#include "core/platform/FileIo.h"
#include "core/settingsfile/SettingsFile.h"
#include "tests/cli/OrloctlFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/PrivateMount.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace orlo::cli {
namespace {

namespace fs = std::filesystem;

TEST_F(OrloctlTest, DashWritesTheBackupAndTheReportToStandardOutput) {
    const Outcome backup = Orloctl({"export", "-"});
    ASSERT_EQ(EXIT_OK, backup.status) << backup.err;
    ASSERT_EQ(EXIT_OK, Orloctl({"export", File("backup.ini")}).status);
    EXPECT_EQ(backup.out, test::FileBytes(File("backup.ini")));
    SettingsRecord restored;
    EXPECT_EQ(0, ReadSettingsText(backup.out, restored));

    const Outcome report = Orloctl({"report", "-"});
    ASSERT_EQ(EXIT_OK, report.status) << report.err;
    EXPECT_EQ(0u, report.out.find("<!DOCTYPE html>"));
    EXPECT_NE(std::string::npos, report.out.find("</html>\n"));
    EXPECT_FALSE(fs::exists("-"));
}

TEST_F(OrloctlTest, TargetsThatAreNotRegularFilesAreRefusedWithTheirReason) {
    const fs::path fifo = File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const char* command : {"export", "report"}) {
        const Outcome run = Orloctl({command, fifo.string()});
        EXPECT_EQ(EXIT_DEVICE_FAILED, run.status);
        EXPECT_EQ("orloctl: cannot write " + fifo.string() +
                      ": not a regular file (a device, FIFO or socket), so it is not replaced (result -1)",
                  run.LastErrorLine());
        struct stat info {};
        EXPECT_TRUE(::lstat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) << command;
    }
    const Outcome folder = Orloctl({"export", directory.Path().string()});
    EXPECT_EQ("orloctl: cannot write " + directory.Path().string() + ": Is a directory (result -1)",
              folder.LastErrorLine());
}

TEST_F(OrloctlTest, AsRootADeviceNodeStaysAndAReadOnlyFolderIsNamed) {
    ORLO_SKIP_UNLESS_ROOT();
    // The check runs in a child with a simulator of its own: a fork keeps only the forking thread, and
    // another thread's lock (the sanitizers' allocator, say) held at that moment would never be freed.
    simulator.reset();
    const int status = test::RunInPrivateMount(directory.Path(), [this] {
        StartSimulator();
        if (!simulator || simulator->tcpPort() == 0) {
            return 10;
        }
        const fs::path node = File("null");
        if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
            return 1;
        }
        for (const char* command : {"export", "report"}) {
            struct stat info {};
            if (Orloctl({command, node.string()}).status != EXIT_DEVICE_FAILED ||
                ::lstat(node.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
                return 2;
            }
        }
        if (!test::RemountReadOnly(directory.Path())) {
            return 3;
        }
        const Outcome run = Orloctl({"export", File("site.ini")});
        const std::string expected = "orloctl: cannot write " + File("site.ini") + ": the folder " +
                                     directory.Path().string() +
                                     " does not take the new file: Read-only file system (result -1)";
        return run.LastErrorLine() == expected ? 0 : 4;
    });
    if (status == test::kNoPrivateMount) {
        GTEST_SKIP() << "no private mount namespace on this system";
    }
    EXPECT_EQ(0, status) << "the check that failed";
}

} // namespace
} // namespace orlo::cli
