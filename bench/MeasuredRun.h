#pragma once

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace orlo::bench {

// What a child program used: its exit status (-1 when it did not exit), peak resident memory and
// wall-clock time.
struct MeasuredRun {
    bool started = false;
    int exitStatus = -1;
    double peakMiB = 0;
    double seconds = 0;
};

// Runs `args` (the program's path first) as a child process and waits for it; `quiet` sends the
// child's standard output to /dev/null.
inline MeasuredRun RunMeasured(std::vector<std::string> args, bool quiet = false) {
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    MeasuredRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        if (quiet) {
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
        }
        ::execv(argv[0], argv.data());
        std::perror(argv[0]);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child) {
        std::perror(argv[0]);
        return run;
    }
    run.started = true;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

} // namespace orlo::bench
