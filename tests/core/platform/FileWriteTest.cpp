#include "core/platform/FileIo.h"
#include "tests/support/FileBytes.h"
#include "tests/support/PrivateMount.h"
#include "tests/support/TempDirectory.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace orlo {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 12345;

mode_t ModeOf(const fs::path& file) {
    struct stat info {};
    return ::lstat(file.c_str(), &info) == 0 ? info.st_mode : 0;
}

std::error_code Refusal(const fs::path& target) {
    std::error_code error;
    EXPECT_FALSE(WriteFileAtomically(target, "backup", &error)) << target;
    return error;
}

TEST(FileWrite, TargetsThatAreNotRegularFilesAreRefusedAndKept) {
    test::TempDirectory directory;
    const fs::path fifo = directory.Path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    EXPECT_EQ(Refusal(fifo), make_error_code(FileWriteRefusal::NotRegularFile));
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));

    const fs::path folder = directory.Path() / "folder";
    fs::create_directory(folder);
    EXPECT_EQ(Refusal(folder), std::errc::is_a_directory);
    EXPECT_TRUE(fs::is_empty(folder));

    const fs::path socketFile = directory.Path() / "socket";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketFile.native().copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(Refusal(socketFile), make_error_code(FileWriteRefusal::NotRegularFile));
    EXPECT_TRUE(S_ISSOCK(ModeOf(socketFile)));
    ::close(listener);

    // A link is followed to what it names: the FIFO stays, and so does the link.
    const fs::path link = directory.Path() / "link-to-fifo";
    fs::create_symlink(fifo, link);
    EXPECT_EQ(Refusal(link), make_error_code(FileWriteRefusal::NotRegularFile));
    EXPECT_TRUE(S_ISLNK(ModeOf(link)));
    EXPECT_TRUE(S_ISFIFO(ModeOf(fifo)));

    // What /dev/stdout is when the output goes to a pipe: a link the system resolves itself.
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_NONBLOCK), 0);
    const fs::path standardOutput = directory.Path() / "stdout";
    fs::create_symlink("/proc/self/fd/" + std::to_string(pipeEnds[1]), standardOutput);
    EXPECT_EQ(Refusal(standardOutput), make_error_code(FileWriteRefusal::NotRegularFile));
    char byte = 0;
    EXPECT_EQ(::read(pipeEnds[0], &byte, 1), -1); // nothing was written into the pipe
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    EXPECT_EQ(fs::directory_iterator(directory.Path())->path().filename().string().find(".tmp"),
              std::string::npos);
}

TEST(FileWrite, AReplacementKeepsOnlyThePermissionBits) {
    test::TempDirectory directory;
    const fs::path file = directory.Path() / "report.html";
    for (const mode_t mode : {mode_t{06777}, mode_t{04755}, mode_t{01644}, mode_t{0600}, mode_t{0640}}) {
        ASSERT_TRUE(WriteFileAtomically(file, "old"));
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        ASSERT_TRUE(WriteFileAtomically(file, "new"));
        EXPECT_EQ(ModeOf(file) & 07777, mode & 0777) << std::oct << mode;
        EXPECT_EQ(test::FileBytes(file), "new");
    }
}

TEST(FileWrite, StaleTemporaryFilesOfTheTargetAreRemovedOthersKept) {
    test::TempDirectory directory;
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const std::string gone = std::to_string(child);
    const std::vector<std::string> kept = {".site.ini.1." + std::string("0.tmp"), // init runs
                                           ".other.ini." + gone + ".0.tmp", "site.ini." + gone + ".0.tmp",
                                           ".site.ini." + gone + ".x.tmp"};
    const std::string stale = ".site.ini." + gone + ".3.tmp";
    for (const std::string& name : kept) {
        std::ofstream(directory.Path() / name) << "other";
    }
    std::ofstream(directory.Path() / stale) << "complete but never renamed";

    ASSERT_TRUE(WriteFileAtomically(directory.Path() / "site.ini", "settings"));
    EXPECT_FALSE(fs::exists(directory.Path() / stale));
    for (const std::string& name : kept) {
        EXPECT_TRUE(fs::exists(directory.Path() / name)) << name;
    }
}

// As root: a device node, links planted by another user, a read-only folder.
class FileWriteAsRoot : public ::testing::Test {
protected:
    test::TempDirectory directory;

    void Run(const std::function<int()>& check) {
        const int status = test::RunInPrivateMount(directory.Path(), check);
        if (status == test::kNoPrivateMount) {
            GTEST_SKIP() << "no private mount namespace on this system";
        }
        EXPECT_EQ(status, 0) << "the check that failed";
    }
    fs::path At(const std::string& name) const { return directory.Path() / name; }
};

TEST_F(FileWriteAsRoot, ADeviceNodeIsNeverReplaced) {
    ORLO_SKIP_UNLESS_ROOT();
    Run([this] {
        const fs::path node = At("null");
        if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
            return 1;
        }
        fs::create_symlink(node, At("stdout"));
        std::error_code error;
        if (WriteFileAtomically(node, "backup", &error) || error != FileWriteRefusal::NotRegularFile) {
            return 2;
        }
        if (WriteFileAtomically(At("stdout"), "backup", &error) || !S_ISCHR(ModeOf(node)) ||
            !S_ISLNK(ModeOf(At("stdout")))) {
            return 3;
        }
        return 0;
    });
}

TEST_F(FileWriteAsRoot, LinksFollowTheKernelsRuleForSharedStickyFolders) {
    ORLO_SKIP_UNLESS_ROOT();
    Run([this] {
        const fs::path shared = At("shared");
        const fs::path secret = At("private/secret");
        fs::create_directories(At("private"));
        fs::create_directory(shared);
        if (::chmod(shared.c_str(), 01777) != 0 || !WriteFileAtomically(secret, "secret") ||
            ::chmod(secret.c_str(), 0600) != 0) {
            return 1;
        }
        const auto plant = [](const fs::path& target, const fs::path& link, uid_t owner) {
            fs::create_symlink(target, link);
            return ::lchown(link.c_str(), owner, owner) == 0;
        };
        // Another user's link in the shared folder: neither followed to the file nor to a folder.
        std::error_code error;
        if (!plant(secret, shared / "report.html", kOtherUser) ||
            !plant(At("private"), shared / "dir", kOtherUser)) {
            return 2;
        }
        if (WriteFileAtomically(shared / "report.html", "overwritten", &error) ||
            error != FileWriteRefusal::UnsafeLink) {
            return 3;
        }
        if (WriteFileAtomically(shared / "dir" / "secret", "overwritten", &error) ||
            error != FileWriteRefusal::UnsafeLink || test::FileBytes(secret) != "secret") {
            return 4;
        }
        // The logs, opened in place rather than replaced, take the same rule for their folder.
        if (OpenRegularFileForRewrite(shared / "dir" / "secret") != nullptr ||
            CreateNewFile(shared / "dir" / "new.csv") != nullptr || test::FileBytes(secret) != "secret" ||
            fs::exists(At("private/new.csv"))) {
            return 9;
        }
        // The user's own link there, and another user's link in an ordinary folder, are followed.
        if (!plant(secret, shared / "own.html", 0) || !WriteFileAtomically(shared / "own.html", "own") ||
            test::FileBytes(secret) != "own" || (ModeOf(secret) & 07777) != 0600) {
            return 5;
        }
        if (!plant(secret, At("their.html"), kOtherUser) ||
            !WriteFileAtomically(At("their.html"), "theirs") || test::FileBytes(secret) != "theirs") {
            return 6;
        }
        // A link owned by the shared folder's owner is followed too.
        const fs::path owned = At("owned");
        fs::create_directory(owned);
        if (::chmod(owned.c_str(), 01777) != 0 || ::chown(owned.c_str(), kOtherUser, kOtherUser) != 0 ||
            !plant(secret, owned / "link", kOtherUser) || !WriteFileAtomically(owned / "link", "owner's")) {
            return 7;
        }
        return test::FileBytes(secret) == "owner's" ? 0 : 8;
    });
}

TEST_F(FileWriteAsRoot, AFolderThatRefusesTheNewFileIsNamed) {
    ORLO_SKIP_UNLESS_ROOT();
    Run([this] {
        const fs::path target = At("site.ini");
        if (!WriteFileAtomically(target, "old") || !test::RemountReadOnly(directory.Path())) {
            return 1;
        }
        std::error_code error;
        if (WriteFileAtomically(target, "new", &error) || error != std::errc::read_only_file_system) {
            return 2;
        }
        if (RefusingFolder(target, error) != directory.Path() || test::FileBytes(target) != "old") {
            return 3;
        }
        // A reason that is not the folder's names no folder.
        return RefusingFolder(target, make_error_code(FileWriteRefusal::NotRegularFile)).empty() ? 0 : 4;
    });
}

} // namespace
} // namespace orlo
