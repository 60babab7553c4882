#include "core/monitor/AcquisitionLoop.h"

namespace orlo {

namespace {

constexpr std::uint32_t ResultLostAfterTimeouts = 3;
constexpr int ShortMotionItem = 0;

} // namespace

AcquisitionLoop::AcquisitionLoop(DetectionSource& source, const AppConfig& config,
                                 AcquisitionReporter& reporter, DetectionLog* detectionLog,
                                 AcquisitionClock& clock)
    : source_(source), config_(config), reporter_(reporter), detectionLog_(detectionLog), clock_(clock) {
    thread_ = std::thread(&AcquisitionLoop::Run, this);
}

AcquisitionLoop::~AcquisitionLoop() {
    {
        std::lock_guard lock(mutex_);
        exitRequested_ = true;
        // Also cleared so the cycle in progress reports nothing to an owner that is going away.
        running_ = false;
    }
    wake_.notify_all();
    thread_.join();
}

void AcquisitionLoop::StartMonitoring() {
    {
        std::lock_guard lock(mutex_);
        cycleKind_ = 0;
        running_ = true;
    }
    wake_.notify_all();
}

void AcquisitionLoop::RequestStop() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
}

void AcquisitionLoop::StopAndWaitIdle() {
    std::unique_lock lock(mutex_);
    running_ = false;
    wake_.notify_all();
    // The loop only leaves the parked state under the same lock after seeing running_ set, so once
    // running_ is cleared here, idle_ turning true means no exchange is under way or can start.
    idleChanged_.wait(lock, [this] { return idle_.load(); });
}

void AcquisitionLoop::Run() {
    std::uint32_t failureCount = 0;
    while (WaitForRunning()) {
        RunCycle(failureCount);
    }
    {
        std::lock_guard lock(mutex_);
        idle_ = true;
    }
    idleChanged_.notify_all();
}

bool AcquisitionLoop::WaitForRunning() {
    std::unique_lock lock(mutex_);
    if (!running_ && !exitRequested_) {
        idle_ = true;
        idleChanged_.notify_all();
        wake_.wait(lock, [this] { return running_ || exitRequested_; });
    }
    if (exitRequested_) {
        return false;
    }
    idle_ = false;
    return true;
}

void AcquisitionLoop::RunCycle(std::uint32_t& failureCount) {
    const AcquisitionClock::TimePoint cycleStart = clock_.Now();
    const int imageKind = config_.ReadGetImage() ? config_.ReadImageResolution() : 0;
    if (!running_) {
        return;
    }
    const bool motionCycle = cycleKind_.fetch_xor(1) == 1;
    CycleOutput output;
    output.imageKind = imageKind;
    output.functionFlags = motionCycle ? FUNCTION_MOTION_DETECTION : FUNCTION_HUMAN_DETECTION;
    output.blockRequested = motionCycle && config_.ReadGetDiffImage();
    output.time = LocalTimestamp::Now();
    const ResultCode result = source_.Detect(output.imageKind, output.blockRequested, output.functionFlags,
                                             output.results, output.indicator, output.picture, output.blocks);
    if (!running_) {
        return;
    }
    Report(result, output, failureCount);
    WaitForNextCycle(cycleStart);
}

void AcquisitionLoop::Report(ResultCode result, CycleOutput& output, std::uint32_t& failureCount) {
    switch (result) {
    case RC_OK:
        failureCount = 0;
        if (detectionLog_ != nullptr && detectionLog_->IsEnabled()) {
            detectionLog_->QueueRecord({output.time, output.results, output.indicator});
        }
        output.isShowDiff = config_.ReadIsShowDiff(ShortMotionItem);
        output.diffColor = config_.ReadDiffColor(ShortMotionItem);
        reporter_.OnCycleCompleted(std::move(output));
        break;
    case RC_TIMEOUT:
        if (++failureCount >= ResultLostAfterTimeouts) {
            StopFromLoop();
            reporter_.OnResultLost();
        }
        break;
    case RC_SEND_FAILED:
        StopFromLoop();
        reporter_.OnLinkFailure();
        break;
    case RC_SETTINGS_ABNORMAL:
        StopFromLoop();
        reporter_.OnSettingsAbnormal();
        break;
    default:
        // Anything else is retried by the next cycle; the last picture stays on screen.
        break;
    }
}

void AcquisitionLoop::StopFromLoop() {
    std::lock_guard lock(mutex_);
    running_ = false;
}

void AcquisitionLoop::WaitForNextCycle(AcquisitionClock::TimePoint cycleStart) {
    const std::int32_t interval = config_.ReadRenewInterval();
    if (interval <= 0) {
        return;
    }
    const AcquisitionClock::TimePoint deadline = cycleStart + std::chrono::milliseconds(interval);
    const auto stopped = [this] { return !running_; };
    std::unique_lock lock(mutex_);
    while (running_ && clock_.Now() < deadline) {
        clock_.WaitUntil(lock, wake_, deadline, stopped);
    }
}

} // namespace orlo
