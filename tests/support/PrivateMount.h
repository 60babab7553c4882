#pragma once

#include <filesystem>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlo::test {

// What RunInPrivateMount's child exits with when it could not set up its namespace.
inline constexpr int kNoPrivateMount = 98;

// Runs `check` as root in a child process in a private mount namespace with a fresh tmpfs over
// `folder`, so that what the check creates (device nodes, files of other owners, a read-only
// folder) never touches the real file system and ends with the child. The child's exit status:
// check's result, kNoPrivateMount when the namespace could not be made; -1 when there is no child.
inline int RunInPrivateMount(const std::filesystem::path& folder, const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("orlo-test", folder.c_str(), "tmpfs", 0, "mode=0755") != 0) {
            ::_exit(kNoPrivateMount);
        }
        ::_exit(check());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Makes the tmpfs of RunInPrivateMount read-only, from inside the check.
inline bool RemountReadOnly(const std::filesystem::path& folder) {
    return ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace orlo::test

// Tests that need root and a private mount namespace say so when they cannot have them.
#define ORLO_SKIP_UNLESS_ROOT()                                                                              \
    do {                                                                                                     \
        if (::geteuid() != 0) {                                                                              \
            GTEST_SKIP() << "needs root (device nodes, files of other owners) in a private mount namespace"; \
        }                                                                                                    \
    } while (false)
