// Figures of the monitoring page's acquisition loop against the in-process simulator:
//  1. cycles back to back over TCP loopback (unpaced simulator): frames per second, cycle times;
//  2. one human and one motion cycle over a pseudo-terminal at 460800 baud with the simulator's
//     paced output, next to the wire time of their bytes at 10 bits per byte;
//  3. process CPU while connected and parked, and while monitoring every 3000 ms, over TCP and over
//     the pseudo-terminal at 460800 baud; peak RSS.
// Phases 1, 2 and the serial part of 3 run twice: with our links ("ours") and with the original
// design's ("original": a receive wait polling every 1 ms, a serial reader that polls the driver
// without pause).
// Usage: acquisition_loop [--seconds N]   (N seconds per CPU phase, default 10; phase 1 runs min(N, 5))
#include "bench/original/BusyPollSerialConnection.h"
#include "bench/original/PollingWait.h"
#include "core/config/AppConfig.h"
#include "core/device/ConnectProcedures.h"
#include "core/monitor/AcquisitionLoop.h"
#include "sim/Simulator.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace orlo;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// The session's source, timing every exchange and counting its bytes on the wire.
class TimedSource final : public DetectionSource {
public:
    struct Exchange {
        Clock::time_point start;
        Clock::duration duration;
        std::uint16_t flags;
        ResultCode result;
        std::size_t wireBytes;
    };

    explicit TimedSource(DeviceSession& session) : session_(session), inner_(session) {}

    ResultCode Detect(int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                      std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                      std::vector<CImageData>& blocks) override {
        const Clock::time_point start = Clock::now();
        const ResultCode result =
            inner_.Detect(imageKind, wantBlocks, functionFlags, results, indicator, image, blocks);
        const Clock::duration duration = Clock::now() - start;
        std::lock_guard lock(mutex_);
        exchanges_.push_back({start, duration, functionFlags, result,
                              std::size_t{session_.RequestLength()} + 6 + session_.ResponseLength()});
        return result;
    }
    std::vector<Exchange> Take() {
        std::lock_guard lock(mutex_);
        return std::exchange(exchanges_, {});
    }

private:
    DeviceSession& session_;
    SessionDetectionSource inner_;
    std::mutex mutex_;
    std::vector<Exchange> exchanges_;
};

class CountingReporter final : public AcquisitionReporter {
public:
    void OnCycleCompleted(CycleOutput /*output*/) override { ++cycles_; }
    void OnResultLost() override { ++failures_; }
    void OnLinkFailure() override { ++failures_; }
    void OnSettingsAbnormal() override { ++failures_; }

    std::size_t Cycles() const { return cycles_; }
    std::size_t Failures() const { return failures_; }

private:
    std::atomic<std::size_t> cycles_{0};
    std::atomic<std::size_t> failures_{0};
};

struct Workspace {
    Workspace()
        : directory(std::filesystem::temp_directory_path() / ("orlo-bench-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(directory);
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    std::filesystem::path directory;
};

bool StartSimulator(sim::Simulator& simulator) {
    std::string error;
    if (!simulator.start(error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return false;
    }
    return true;
}

void PrepareConfig(AppConfig& config, int renewInterval) {
    config.WriteGetImage(true);
    config.WriteImageResolution(1);
    config.WriteGetDiffImage(true);
    config.WriteRenewInterval(renewInterval);
}

constexpr std::uint32_t PtyBaud = 460800;

// Whose links the session uses: ours, through the connect procedures, or the original design's,
// opened here and attached (declared before the session, which closes them).
struct Links {
    explicit Links(bool original) : original(original) {}
    const char* Name() const { return original ? "original" : "ours"; }

    bool ConnectTcp(DeviceSession& session, std::uint16_t port) {
        if (!original) {
            return ConnectLan(session, "127.0.0.1", port, 90) == RC_OK;
        }
        if (!pollingTcp.Open("127.0.0.1", port)) {
            return false;
        }
        session.Attach(pollingTcp, ConnectionType::Lan);
        session.SetLanParameters("127.0.0.1", port);
        return true;
    }
    bool ConnectSerial(DeviceSession& session, const std::string& path) {
        if (!original) {
            return ConnectCom(session, path, PtyBaud, 90) == RC_OK;
        }
        if (!busySerial.Open(path, PtyBaud)) {
            return false;
        }
        session.Attach(busySerial, ConnectionType::Com);
        session.SetComParameters(path, PtyBaud);
        return true;
    }

    const bool original;
    original::PollingSocketConnection pollingTcp;
    original::BusyPollSerialConnection busySerial;
};

int Throughput(const std::filesystem::path& directory, double seconds, bool original) {
    sim::SimConfig simConfig;
    simConfig.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
    simConfig.throttle = false;
    sim::Simulator simulator(simConfig);
    if (!StartSimulator(simulator)) {
        return 1;
    }
    Links links(original);
    DeviceSession session(directory);
    if (!links.ConnectTcp(session, simulator.tcpPort())) {
        std::fprintf(stderr, "TCP connection failed\n");
        return 1;
    }
    AppConfig config(directory);
    PrepareConfig(config, 0);
    TimedSource source(session);
    CountingReporter reporter;
    SteadyAcquisitionClock clock;
    AcquisitionLoop loop(source, config, reporter, nullptr, clock);

    const Clock::time_point start = Clock::now();
    loop.StartMonitoring();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    loop.StopAndWaitIdle();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    const auto exchanges = source.Take();
    std::vector<double> cycleMs;
    std::vector<double> exchangeMs;
    std::vector<double> overheadMs; // the loop's own share: configuration reads, log, hand-over
    for (std::size_t i = 0; i < exchanges.size(); ++i) {
        exchangeMs.push_back(Ms(exchanges[i].duration));
        if (i > 0) {
            cycleMs.push_back(Ms(exchanges[i].start - exchanges[i - 1].start));
            overheadMs.push_back(cycleMs.back() - exchangeMs[i - 1]);
        }
    }
    std::printf("1. TCP loopback, RenewInterval 0, 320x240 pictures, block on motion cycles (%.1f s) [%s]\n",
                elapsed, links.Name());
    std::printf("   cycles completed %zu, failures %zu: %.0f frames/s [%s]\n", reporter.Cycles(),
                reporter.Failures(), static_cast<double>(reporter.Cycles()) / elapsed, links.Name());
    std::printf(
        "   cycle time (start to start) median %.3f ms, p99 %.3f ms, max %.3f ms   [target p99 < 5 ms]\n",
        Percentile(cycleMs, 0.5), Percentile(cycleMs, 0.99), Percentile(cycleMs, 1.0));
    std::printf(
        "   exchange alone median %.3f ms, p99 %.3f ms; loop's own share median %.3f ms, p99 %.3f ms\n",
        Percentile(exchangeMs, 0.5), Percentile(exchangeMs, 0.99), Percentile(overheadMs, 0.5),
        Percentile(overheadMs, 0.99));
    return 0;
}

int PacedSerial(const std::filesystem::path& directory, bool original) {
    constexpr std::uint32_t Baud = PtyBaud;
    sim::SimConfig simConfig;
    simConfig.pty = true;
    simConfig.baud = Baud;
    simConfig.throttle = true;
    sim::Simulator simulator(simConfig);
    if (!StartSimulator(simulator)) {
        return 1;
    }
    Links links(original);
    DeviceSession session(directory);
    if (!links.ConnectSerial(session, simulator.ptyPath())) {
        std::fprintf(stderr, "serial connection failed\n");
        return 1;
    }
    AppConfig config(directory);
    PrepareConfig(config, 0);
    TimedSource source(session);
    CountingReporter reporter;
    SteadyAcquisitionClock clock;
    AcquisitionLoop loop(source, config, reporter, nullptr, clock);
    loop.StartMonitoring();
    while (reporter.Cycles() + reporter.Failures() < 2) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    loop.StopAndWaitIdle();

    std::printf("2. pseudo-terminal at %u baud, simulator output paced at 10 bits per byte [%s]\n", Baud,
                links.Name());
    for (const auto& exchange : source.Take()) {
        const double wireMs = static_cast<double>(exchange.wireBytes) * 10.0 * 1000.0 / Baud;
        std::printf("   %s cycle: result %d, %zu bytes, exchange %.1f ms, wire time %.1f ms, over by %.1f ms,"
                    " ratio %.4f   [target <= 20 ms] [%s]\n",
                    exchange.flags == FUNCTION_HUMAN_DETECTION ? "human " : "motion", exchange.result,
                    exchange.wireBytes, Ms(exchange.duration), wireMs, Ms(exchange.duration) - wireMs,
                    Ms(exchange.duration) / wireMs, links.Name());
    }
    return 0;
}

double CpuPercent(double seconds) {
    const double cpuBefore = CpuSeconds();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    return (CpuSeconds() - cpuBefore) * 100.0 / elapsed;
}

// Serial: over the pseudo-terminal at 460800 baud, else over TCP.
int IdleCpu(const std::filesystem::path& directory, double seconds, bool serial, bool original) {
    sim::SimConfig simConfig;
    if (serial) {
        simConfig.pty = true;
        simConfig.baud = PtyBaud;
    } else {
        simConfig.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
    }
    sim::Simulator simulator(simConfig);
    if (!StartSimulator(simulator)) {
        return 1;
    }
    Links links(original);
    DeviceSession session(directory);
    if (serial ? !links.ConnectSerial(session, simulator.ptyPath())
               : !links.ConnectTcp(session, simulator.tcpPort())) {
        std::fprintf(stderr, "connection failed\n");
        return 1;
    }
    AppConfig config(directory);
    PrepareConfig(config, 3000);
    TimedSource source(session);
    CountingReporter reporter;
    SteadyAcquisitionClock clock;
    AcquisitionLoop loop(source, config, reporter, nullptr, clock);

    const char* link = serial ? "pty 460800" : "TCP";
    std::printf("3. process CPU (loop, session and in-process simulator), %s, %.0f s per phase [%s]\n", link,
                seconds, links.Name());
    std::printf("   %s connected, parked:               %.3f %% of a core   [target < 0.5 %%] [%s]\n", link,
                CpuPercent(seconds), links.Name());
    loop.StartMonitoring();
    const double monitoring = CpuPercent(seconds);
    loop.StopAndWaitIdle();
    std::printf(
        "   %s monitoring, RenewInterval 3000:  %.3f %% of a core   [target < 2 %%] (%zu cycles) [%s]\n",
        link, monitoring, reporter.Cycles(), links.Name());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--seconds N]\n", argv[0]);
            return 2;
        }
    }
    if (seconds <= 0) {
        std::fprintf(stderr, "--seconds needs a positive number\n");
        return 2;
    }
    Workspace workspace;
    double load[3] = {};
    if (getloadavg(load, 3) == 3) {
        std::printf("load average at start %.2f %.2f %.2f on %ld cores\n", load[0], load[1], load[2],
                    sysconf(_SC_NPROCESSORS_ONLN));
    }
    int failed = 0;
    for (const bool original : {false, true}) {
        failed |= Throughput(workspace.directory, std::min(seconds, 5.0), original);
    }
    for (const bool original : {false, true}) {
        failed |= PacedSerial(workspace.directory, original);
    }
    failed |= IdleCpu(workspace.directory, seconds, false, false);
    for (const bool original : {false, true}) {
        failed |= IdleCpu(workspace.directory, seconds, true, original);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak RSS %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return failed;
}
