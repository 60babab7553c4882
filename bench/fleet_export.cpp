// A backup of a whole site: `orloctl --hosts FILE --jobs 8 export DIR` against 40 simulated sensors,
// beside 40 / 8 = 5 single exports run one after another (what each of the 8 jobs does), both as
// processes of their own; and the peak memory of the fleet run. The simulators run in this process
// on loopback ports of their own. A sensor on a LAN takes a few milliseconds for each answer, while the
// simulator answers at once: each answer is delayed by DELAY ms (default 5), which is what running
// sensors side by side saves; with 0 the work is all processor time, shared by the machine's cores.
// Usage: fleet_export [DELAY] [ORLOCTL]

#include "bench/MeasuredRun.h"
#include "sim/Simulator.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSensors = 40;
constexpr int kJobs = 8;
constexpr int kRepeats = 3;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int delayMs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::string orloctl = argc > 2 ? argv[2] : ORLOCTL_PATH;
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("orlo-fleet-export-" + std::to_string(::getpid()));
    std::filesystem::create_directories(work);
    std::vector<std::unique_ptr<orlo::sim::Simulator>> simulators;
    std::vector<std::string> hosts;
    for (int i = 0; i < kSensors; ++i) {
        orlo::sim::SimConfig config;
        config.tcp = orlo::sim::TcpEndpoint{"127.0.0.1", 0};
        config.infoText.emplace();
        const std::string text = "Shop 7 door " + std::to_string(i + 1);
        std::copy(text.begin(), text.end(), config.infoText->begin());
        std::string error;
        if (delayMs > 0 && !config.faults.add("delay=" + std::to_string(delayMs), error)) {
            std::fprintf(stderr, "delay: %s\n", error.c_str());
            return 2;
        }
        simulators.push_back(std::make_unique<orlo::sim::Simulator>(config));
        if (!simulators.back()->start(error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            return 1;
        }
        hosts.push_back("127.0.0.1:" + std::to_string(simulators.back()->tcpPort()));
    }
    const std::string hostsFile = (work / "hosts.txt").string();
    {
        std::ofstream file(hostsFile);
        for (const std::string& host : hosts) {
            file << host << '\n';
        }
    }

    std::vector<double> singles;
    std::vector<double> fleets;
    double peakMiB = 0;
    for (int run = 0; run < kRepeats; ++run) {
        double single = 0;
        for (int i = 0; i < kSensors / kJobs; ++i) {
            const std::string file = (work / ("single-" + std::to_string(i) + ".ini")).string();
            const orlo::bench::MeasuredRun one =
                orlo::bench::RunMeasured({orloctl, "--lan", hosts[i], "export", file});
            if (one.exitStatus != 0) {
                std::fprintf(stderr, "single export ended with %d\n", one.exitStatus);
                return 1;
            }
            single += one.seconds;
        }
        singles.push_back(single);
        const std::filesystem::path folder = work / ("site-" + std::to_string(run));
        const orlo::bench::MeasuredRun fleet = orlo::bench::RunMeasured(
            {orloctl, "--hosts", hostsFile, "--jobs", std::to_string(kJobs), "export", folder.string()},
            true);
        const auto files = std::distance(std::filesystem::directory_iterator(folder), {});
        if (fleet.exitStatus != 0 || files != kSensors) {
            std::fprintf(stderr, "fleet export ended with %d, %ld files\n", fleet.exitStatus,
                         static_cast<long>(files));
            return 1;
        }
        fleets.push_back(fleet.seconds);
        peakMiB = std::max(peakMiB, fleet.peakMiB);
    }
    const double single = Median(singles);
    const double fleet = Median(fleets);
    std::printf("each simulated answer delayed by %d ms\n", delayMs);
    std::printf("%d single exports one after another: %.3f s (median of %d)\n", kSensors / kJobs, single,
                kRepeats);
    std::printf("fleet export of %d sensors, --jobs %d: %.3f s (median of %d)\n", kSensors, kJobs, fleet,
                kRepeats);
    std::printf("fleet / singles: ratio %.2f\n", fleet / single);
    std::printf("fleet export peak RSS %.1f MiB\n", peakMiB);
    std::filesystem::remove_all(work);
    return 0;
}
