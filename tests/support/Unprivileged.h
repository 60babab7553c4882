#pragma once

#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlo::test {

// Runs check in a child process with no more rights than an ordinary user (as root, the child
// becomes nobody first), so that access checks apply. The child's exit status: check's result, or
// 99 when the child could not give up its rights; -1 when there is no child.
inline int RunUnprivileged(const std::function<int()>& check) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            ::_exit(99);
        }
        ::_exit(check());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace orlo::test
