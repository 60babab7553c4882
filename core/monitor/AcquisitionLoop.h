#pragma once

#include "core/config/AppConfig.h"
#include "core/monitor/AcquisitionClock.h"
#include "core/monitor/AcquisitionReporter.h"
#include "core/monitor/DetectionLog.h"
#include "core/monitor/DetectionSource.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace orlo {

// The monitoring page's acquisition loop: a thread that lives as long as its owner, parks while no
// sensor is monitored and, while running, asks the sensor for one detection per cycle, alternating
// human detection and short-range motion detection. Options are re-read from the configuration at
// every cycle; cycles start RenewInterval milliseconds apart. Time-outs are counted over the life of
// the thread, so they add up across connections until a cycle succeeds.
//
// Every reference must outlive the loop. The thread starts parked in the constructor.
class AcquisitionLoop {
public:
    AcquisitionLoop(DetectionSource& source, const AppConfig& config, AcquisitionReporter& reporter,
                    DetectionLog* detectionLog, AcquisitionClock& clock);
    AcquisitionLoop(const AcquisitionLoop&) = delete;
    AcquisitionLoop& operator=(const AcquisitionLoop&) = delete;
    // Ends the thread without another report; an exchange in progress is waited for.
    ~AcquisitionLoop();

    // The next cycle runs human detection; the loop runs until stopped or until it stops itself.
    void StartMonitoring();
    // The loop takes no further cycle and ends a wait between cycles at once; does not block.
    void RequestStop();
    // RequestStop, then blocks until the loop is parked: the exchange in progress, if any, has ended
    // and the sensor is free for other users. No time limit beyond the exchange's own time-out.
    void StopAndWaitIdle();

    bool IsRunning() const { return running_; }
    bool IsIdle() const { return idle_; }

private:
    void Run();
    // Waits while parked; false when the thread must end.
    bool WaitForRunning();
    void RunCycle(std::uint32_t& failureCount);
    void Report(ResultCode result, CycleOutput& output, std::uint32_t& failureCount);
    void StopFromLoop();
    void WaitForNextCycle(AcquisitionClock::TimePoint cycleStart);

    DetectionSource& source_;
    const AppConfig& config_;
    AcquisitionReporter& reporter_;
    DetectionLog* const detectionLog_;
    AcquisitionClock& clock_;

    // running_ and exitRequested_ change under mutex_ so that a wait on wake_ never misses them.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idleChanged_;
    std::atomic<bool> exitRequested_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> idle_{true};
    std::atomic<std::uint32_t> cycleKind_{0}; // 0: human detection next, 1: short-range motion next
    std::thread thread_;
};

} // namespace orlo
