// Peak memory of `orloctl detect --log` when pictures come faster than the command log is written:
// 6,000 picture cycles without a pause against a simulator in this process. The log's queue is meant
// to stop at its limit, so the figure stays flat however long the run; the log itself grows by about
// 470 kB a cycle (every picture byte as three hex characters in UTF-16) and is removed afterwards.
// Usage: command_log_memory [CYCLES [ORLOCTL]]   (defaults: 6000, the orloctl of this build).

#include "bench/MeasuredRun.h"
#include "core/device/CommandLog.h"
#include "sim/Simulator.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv) {
    const std::string cycles = argc > 1 ? argv[1] : "6000";
    const std::string orloctl = argc > 2 ? argv[2] : ORLOCTL_PATH;
    orlo::sim::SimConfig config;
    config.tcp = orlo::sim::TcpEndpoint{"127.0.0.1", 0};
    orlo::sim::Simulator simulator(config);
    std::string error;
    if (!simulator.start(error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    std::error_code ignored;
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("command_log_memory." + std::to_string(::getpid()));
    std::filesystem::create_directory(directory);
    const orlo::bench::MeasuredRun run = orlo::bench::RunMeasured(
        {orloctl, "--lan", "127.0.0.1:" + std::to_string(simulator.tcpPort()), "--dir", directory.string(),
         "--log", "detect", "--image", "1", "--count", cycles, "--interval", "0"},
        true);
    simulator.stop();
    const std::uintmax_t logBytes = std::filesystem::exists(directory / "CmdLog.log", ignored)
                                        ? std::filesystem::file_size(directory / "CmdLog.log", ignored)
                                        : 0;
    std::filesystem::remove_all(directory, ignored);
    if (!run.started) {
        return 1;
    }
    std::printf("orloctl detect --image 1 --count %s --interval 0 --log: peak RSS %.1f MiB (log queue limit "
                "%zu MiB), exit status %d after %.1f s, CmdLog.log %.0f MiB\n",
                cycles.c_str(), run.peakMiB, orlo::CommandLog::DefaultQueueLimitBytes >> 20, run.exitStatus,
                run.seconds, static_cast<double>(logBytes) / (1024.0 * 1024.0));
    return run.exitStatus == 0 ? 0 : 1;
}
