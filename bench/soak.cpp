// Soak of the monitoring page's acquisition loop against the in-process simulator, RenewInterval 0,
// over TCP loopback and/or a pseudo-terminal, with fault spells mixed in: wrong checksums, responses
// cut short, silent spells, restarts and a killed peer (the simulator stopped under a running loop
// and started afresh). After a lost link the session is connected again as the monitoring page does.
//
// Checked: every exchange alternates human and motion detection, starting with human after each
// start, and none comes while the loop should be parked; cycles go on after every spell; the RSS
// grows by at most RssMarginKiB after warm-up; no descriptor or thread is left after shutdown.
// Exits 1 when a check fails.
// Usage: soak [--cycles N] [--link tcp|pty|both]   (N cycles per link, default 10000)
#include "core/config/AppConfig.h"
#include "core/device/ConnectProcedures.h"
#include "core/device/SystemCommands.h"
#include "core/monitor/AcquisitionLoop.h"
#include "sim/Simulator.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

namespace {

using namespace orlo;
using Clock = std::chrono::steady_clock;

constexpr long RssMarginKiB = 2048;
constexpr std::uint32_t PtyBaud = 460800;
// Long enough for one detection time-out and a reconnection.
constexpr auto AwaitLimit = std::chrono::seconds(90);

struct ProcessFigures {
    long rssKiB = 0;
    std::size_t fds = 0;
    std::size_t threads = 0;
};

std::size_t CountEntries(const char* directory) {
    std::error_code ignored;
    std::size_t count = 0;
    for (auto it = std::filesystem::directory_iterator(directory, ignored);
         it != std::filesystem::directory_iterator(); it.increment(ignored)) {
        ++count;
    }
    return count;
}

ProcessFigures Sample() {
    ProcessFigures figures;
    long sizePages = 0;
    long residentPages = 0;
    std::ifstream("/proc/self/statm") >> sizePages >> residentPages;
    figures.rssKiB = residentPages * (sysconf(_SC_PAGESIZE) / 1024);
    figures.fds = CountEntries("/proc/self/fd");
    figures.threads = CountEntries("/proc/self/task");
    return figures;
}

// What the loop did, with the state machine's rules checked as it goes.
class SoakRecorder final : public DetectionSource, public AcquisitionReporter {
public:
    explicit SoakRecorder(DeviceSession& session) : inner_(session) {}

    // Called just before StartMonitoring and just after StopAndWaitIdle.
    void SetRunExpected(bool expected) {
        std::lock_guard lock(mutex_);
        runExpected_ = expected;
        lastFlags_ = 0;
    }

    ResultCode Detect(int imageKind, bool wantBlocks, std::uint16_t functionFlags,
                      std::vector<DetectionResult>& results, bool& indicator, CImageData& image,
                      std::vector<CImageData>& blocks) override {
        {
            std::lock_guard lock(mutex_);
            const std::uint16_t expected =
                lastFlags_ == FUNCTION_HUMAN_DETECTION ? FUNCTION_MOTION_DETECTION : FUNCTION_HUMAN_DETECTION;
            if (!runExpected_ || functionFlags != expected) {
                Violation(!runExpected_ ? "exchange while parked" : "detections out of turn");
            }
            lastFlags_ = functionFlags;
        }
        const ResultCode result =
            inner_.Detect(imageKind, wantBlocks, functionFlags, results, indicator, image, blocks);
        std::lock_guard lock(mutex_);
        ++exchanges_;
        if (result != RC_OK) {
            ++failedExchanges_;
        }
        changed_.notify_all();
        return result;
    }

    void OnCycleCompleted(CycleOutput /*output*/) override {
        std::lock_guard lock(mutex_);
        ++cycles_;
        changed_.notify_all();
    }
    void OnResultLost() override { Stopped(resultLost_); }
    void OnLinkFailure() override { Stopped(linkFailures_); }
    void OnSettingsAbnormal() override { Stopped(settingsAbnormal_); }

    std::size_t Cycles() {
        std::lock_guard lock(mutex_);
        return cycles_;
    }
    std::size_t FailedExchanges() {
        std::lock_guard lock(mutex_);
        return failedExchanges_;
    }
    std::size_t StopReports() {
        std::lock_guard lock(mutex_);
        return resultLost_ + linkFailures_ + settingsAbnormal_;
    }
    // Blocks until `condition` holds under the recorder's lock; false after AwaitLimit.
    bool Await(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, AwaitLimit, condition);
    }
    bool AwaitCycles(std::size_t count) {
        return Await([&] { return cycles_ >= count; });
    }
    bool AwaitFailedExchanges(std::size_t count) {
        return Await([&] { return failedExchanges_ >= count; });
    }
    // A cycle after `cycles`, or a stop report after `stops`.
    bool AwaitCycleOrStop(std::size_t cycles, std::size_t stops) {
        return Await(
            [&] { return cycles_ > cycles || resultLost_ + linkFailures_ + settingsAbnormal_ > stops; });
    }

    std::string FirstViolation() {
        std::lock_guard lock(mutex_);
        return violation_;
    }
    void Print() {
        std::lock_guard lock(mutex_);
        std::printf(
            "   exchanges %zu (%zu failed), reports: link failure %zu, result lost %zu, abnormal %zu\n",
            exchanges_, failedExchanges_, linkFailures_, resultLost_, settingsAbnormal_);
    }

private:
    void Stopped(std::size_t& counter) {
        std::lock_guard lock(mutex_);
        ++counter;
        runExpected_ = false;
        changed_.notify_all();
    }
    void Violation(const char* what) {
        if (violation_.empty()) {
            violation_ = what;
        }
    }

    SessionDetectionSource inner_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool runExpected_ = false;
    std::uint16_t lastFlags_ = 0;
    std::size_t exchanges_ = 0;
    std::size_t failedExchanges_ = 0;
    std::size_t cycles_ = 0;
    std::size_t resultLost_ = 0;
    std::size_t linkFailures_ = 0;
    std::size_t settingsAbnormal_ = 0;
    std::string violation_;
};

// The simulator behind one link, which can be killed and started afresh on a new port or pty.
class SimulatorHost {
public:
    explicit SimulatorHost(bool tcp) : tcp_(tcp) {}

    bool Start() {
        sim::SimConfig config;
        if (tcp_) {
            config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        } else {
            config.pty = true;
            config.baud = PtyBaud;
        }
        config.throttle = false;
        config.restartSilence = std::chrono::milliseconds(300);
        simulator_ = std::make_unique<sim::Simulator>(config);
        std::string error;
        if (!simulator_->start(error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            return false;
        }
        return true;
    }
    void Kill() { simulator_.reset(); }

    ResultCode Connect(DeviceSession& session) const {
        return tcp_ ? ConnectLan(session, "127.0.0.1", simulator_->tcpPort(), 90)
                    : ConnectCom(session, simulator_->ptyPath(), PtyBaud, 90);
    }
    void SetFaults(const std::string& list) const {
        sim::FaultSet faults;
        std::string error;
        if (!list.empty() && !faults.add(list, error)) {
            std::fprintf(stderr, "fault list %s: %s\n", list.c_str(), error.c_str());
            std::abort();
        }
        simulator_->setFaults(std::move(faults));
    }

private:
    const bool tcp_;
    std::unique_ptr<sim::Simulator> simulator_;
};

enum class Spell { Checksum, DropAfter, Silent, Restart, KilledPeer };

const char* NameOf(Spell spell) {
    switch (spell) {
    case Spell::Checksum:
        return "checksum";
    case Spell::DropAfter:
        return "drop-after";
    case Spell::Silent:
        return "silent";
    case Spell::Restart:
        return "restart";
    case Spell::KilledPeer:
        return "killed peer";
    }
    return "";
}

// Ten spells per link; a silent spell costs one detection time-out, so it comes once.
constexpr Spell Schedule[] = {Spell::Checksum, Spell::DropAfter, Spell::Restart, Spell::KilledPeer,
                              Spell::Checksum, Spell::Silent,    Spell::Restart, Spell::DropAfter,
                              Spell::Checksum, Spell::KilledPeer};

// One link's soak: the loop, its session and the simulator live only inside Run.
class LinkSoak {
public:
    LinkSoak(bool tcp, const std::filesystem::path& directory)
        : host_(tcp), session_(directory), config_(directory), recorder_(session_) {}

    // Empty when the loop survived; else what broke.
    std::string Run(std::size_t cycles, ProcessFigures& warm, ProcessFigures& end, std::size_t& survived) {
        if (!host_.Start() || host_.Connect(session_) != RC_OK) {
            return "no connection to the simulator";
        }
        config_.WriteRenewInterval(0);
        config_.WriteGetImage(true);
        config_.WriteImageResolution(1);
        config_.WriteGetDiffImage(true);
        SteadyAcquisitionClock clock;
        AcquisitionLoop loop(recorder_, config_, recorder_, nullptr, clock);
        loop_ = &loop;
        Start();
        const std::size_t warmUp = std::max<std::size_t>(cycles / 20, 1);
        if (!recorder_.AwaitCycles(warmUp)) {
            return "no cycles during warm-up";
        }
        warm = Sample();
        const std::size_t spellEvery = cycles / (std::size(Schedule) + 1);
        std::string broken;
        for (std::size_t i = 0; i < std::size(Schedule) && broken.empty(); ++i) {
            if (!recorder_.AwaitCycles(spellEvery * (i + 1))) {
                broken = "cycling stopped without a fault";
            } else {
                broken = RunSpell(Schedule[i]);
                if (!broken.empty()) {
                    broken = std::string(NameOf(Schedule[i])) + " spell: " + broken;
                }
                survived += broken.empty() ? 1 : 0;
            }
        }
        if (broken.empty() && !recorder_.AwaitCycles(cycles)) {
            broken = "cycling stopped without a fault";
        }
        end = Sample();
        loop.StopAndWaitIdle();
        recorder_.SetRunExpected(false);
        loop_ = nullptr;
        recorder_.Print();
        const std::string violation = recorder_.FirstViolation();
        return broken.empty() ? violation : broken;
    }

private:
    void Start() {
        recorder_.SetRunExpected(true);
        loop_->StartMonitoring();
    }
    void Park() {
        loop_->StopAndWaitIdle();
        recorder_.SetRunExpected(false);
    }
    // The monitoring page after a lost link: connect again, then monitor again.
    std::string Reconnect() {
        Park();
        session_.Disconnect();
        if (host_.Connect(session_) != RC_OK) {
            return "reconnection failed";
        }
        Start();
        return "";
    }
    // After a spell has ended: the loop goes on by itself or, having reported a stop, after a
    // reconnection; either way a cycle must follow.
    std::string Recover(std::size_t stopsBefore) {
        const std::size_t cycles = recorder_.Cycles();
        if (!recorder_.AwaitCycleOrStop(cycles, stopsBefore)) {
            return "neither a cycle nor a report after a fault";
        }
        if (recorder_.StopReports() > stopsBefore) {
            if (loop_->IsRunning()) {
                return "the loop reported a stop but kept running";
            }
            if (std::string failed = Reconnect(); !failed.empty()) {
                return failed;
            }
        }
        return recorder_.AwaitCycles(recorder_.Cycles() + 1) ? "" : "no cycle after a fault";
    }
    std::string FaultSpell(const std::string& faults) {
        const std::size_t stops = recorder_.StopReports();
        host_.SetFaults(faults);
        const bool failed = recorder_.AwaitFailedExchanges(recorder_.FailedExchanges() + 1);
        host_.SetFaults("");
        return failed ? Recover(stops) : "a fault went unnoticed";
    }
    std::string RunSpell(Spell spell) {
        switch (spell) {
        case Spell::Checksum: {
            const std::size_t stops = recorder_.StopReports();
            std::string broken = FaultSpell("checksum");
            return broken.empty() && recorder_.StopReports() != stops ? "a checksum error stopped the loop"
                                                                      : broken;
        }
        case Spell::DropAfter:
            return FaultSpell("drop-after=100");
        case Spell::Silent:
            return FaultSpell("silent");
        case Spell::Restart:
            Park();
            if (orlo::Restart(session_, DeviceSession::CommandTimeoutMs) != RC_OK) {
                return "restart failed";
            }
            Start();
            return recorder_.AwaitCycles(recorder_.Cycles() + 1) ? "" : "no cycle after a restart";
        case Spell::KilledPeer: {
            const std::size_t stops = recorder_.StopReports();
            host_.Kill();
            if (!host_.Start()) {
                return "simulator did not start again";
            }
            return Recover(stops);
        }
        }
        return "";
    }

    SimulatorHost host_;
    DeviceSession session_;
    AppConfig config_;
    SoakRecorder recorder_;
    AcquisitionLoop* loop_ = nullptr;
};

struct Workspace {
    Workspace()
        : directory(std::filesystem::temp_directory_path() / ("orlo-soak-" + std::to_string(getpid()))) {
        std::filesystem::create_directories(directory);
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }
    std::filesystem::path directory;
};

bool SoakLink(bool tcp, std::size_t cycles, const std::filesystem::path& directory) {
    const ProcessFigures before = Sample();
    const Clock::time_point start = Clock::now();
    ProcessFigures warm;
    ProcessFigures end;
    std::size_t survived = 0;
    std::printf("%s, RenewInterval 0, %zu cycles, %zu fault spells\n",
                tcp ? "TCP loopback" : "pty 460800 baud", cycles, std::size(Schedule));
    std::string broken = LinkSoak(tcp, directory).Run(cycles, warm, end, survived);
    const ProcessFigures after = Sample();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("   %.1f s, faults survived %zu of %zu\n", seconds, survived, std::size(Schedule));
    std::printf("   RSS after warm-up %ld KiB, at end %ld KiB (%+ld KiB)\n", warm.rssKiB, end.rssKiB,
                end.rssKiB - warm.rssKiB);
    std::printf("   fds before %zu, after shutdown %zu; threads before %zu, after shutdown %zu\n", before.fds,
                after.fds, before.threads, after.threads);
    if (broken.empty() && end.rssKiB - warm.rssKiB > RssMarginKiB) {
        broken = "RSS grew after warm-up";
    }
    if (broken.empty() && after.fds > before.fds) {
        broken = "descriptors left behind";
    }
    if (broken.empty() && after.threads > before.threads) {
        broken = "threads left behind";
    }
    std::printf("   %s\n", broken.empty() ? "PASS" : ("FAIL: " + broken).c_str());
    return broken.empty();
}

} // namespace

int main(int argc, char** argv) {
    long cycles = 10000;
    std::string link = "both";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--cycles" && i + 1 < argc) {
            cycles = std::atol(argv[++i]);
        } else if (arg == "--link" && i + 1 < argc) {
            link = argv[++i];
        } else {
            cycles = 0;
            break;
        }
    }
    constexpr long MinimumCycles = static_cast<long>(std::size(Schedule)) * 10;
    if (cycles < MinimumCycles || (link != "tcp" && link != "pty" && link != "both")) {
        std::fprintf(stderr, "usage: %s [--cycles N (at least %ld)] [--link tcp|pty|both]\n", argv[0],
                     MinimumCycles);
        return 2;
    }
    Workspace workspace;
    bool passed = true;
    if (link != "pty") {
        passed = SoakLink(true, static_cast<std::size_t>(cycles), workspace.directory) && passed;
    }
    if (link != "tcp") {
        passed = SoakLink(false, static_cast<std::size_t>(cycles), workspace.directory) && passed;
    }
    return passed ? 0 : 1;
}
