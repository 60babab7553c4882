#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orlo::test {

// A program run as a process of its own (spawned, never forked from a process that may have threads),
// its standard output and error in files. Killed and reaped when it goes, if still running.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::filesystem::path& outFile, const std::filesystem::path& errFile) {
        std::vector<std::string> all{program};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }

    bool Started() const { return pid_ > 0; }
    bool Send(int signal) const { return pid_ > 0 && ::kill(pid_, signal) == 0; }

    // The wait status once the process has ended, nothing when it still runs after `limit`.
    std::optional<int> WaitFor(std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (!status_ && pid_ > 0) {
            int status = 0;
            const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
            if (ended == pid_) {
                status_ = status;
            } else if (ended < 0 || std::chrono::steady_clock::now() > until) {
                break;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

} // namespace orlo::test
