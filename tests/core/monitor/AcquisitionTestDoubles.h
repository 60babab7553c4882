#pragma once

#include "core/monitor/AcquisitionClock.h"
#include "core/monitor/AcquisitionLoop.h"
#include "core/monitor/AcquisitionReporter.h"
#include "core/monitor/DetectionSource.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace orlo::test {

// Milliseconds on a clock that moves only when told to. Waits either jump to their deadline at once
// or, when the clock is frozen, last until the loop's stop condition holds.
class FakeClock final : public AcquisitionClock {
public:
    explicit FakeClock(bool jumpOnWait) : jumpOnWait_(jumpOnWait) {}

    TimePoint Now() override { return TimePoint{} + std::chrono::milliseconds(nowMs_.load()); }
    std::int64_t NowMs() const { return nowMs_; }
    void Advance(int ms) { nowMs_ += ms; }

    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, TimePoint deadline,
                   const std::function<bool()>& done) override {
        {
            std::lock_guard guard(mutex_);
            deadlines_.push_back(
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TimePoint{}).count());
        }
        waitStarted_.notify_all();
        if (jumpOnWait_) {
            nowMs_ = std::max<std::int64_t>(
                nowMs_,
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TimePoint{}).count());
            return;
        }
        wake.wait(lock, done);
    }

    // Blocks until the loop has begun `count` waits between cycles.
    void AwaitWaits(std::size_t count) {
        std::unique_lock lock(mutex_);
        waitStarted_.wait(lock, [&] { return deadlines_.size() >= count; });
    }
    std::vector<std::int64_t> Deadlines() {
        std::lock_guard lock(mutex_);
        return deadlines_;
    }

private:
    const bool jumpOnWait_;
    std::atomic<std::int64_t> nowMs_{0};
    std::mutex mutex_;
    std::condition_variable waitStarted_;
    std::vector<std::int64_t> deadlines_;
};

// What the loop reported, in order, with a way to wait for it.
class RecordingReporter final : public AcquisitionReporter {
public:
    // ScriptEnded is the test source's own mark: the loop asked for more than the script held.
    enum class Event { Cycle, ResultLost, LinkFailure, SettingsAbnormal, ScriptEnded };

    // Set once the loop exists: each stopping report records whether the loop was still running.
    void Watch(const AcquisitionLoop& loop) { loop_ = &loop; }

    void OnCycleCompleted(CycleOutput output) override {
        std::lock_guard lock(mutex_);
        events_.push_back(Event::Cycle);
        cycles_.push_back(std::move(output));
        changed_.notify_all();
    }
    void OnResultLost() override { Stopped(Event::ResultLost); }
    void OnLinkFailure() override { Stopped(Event::LinkFailure); }
    void OnSettingsAbnormal() override { Stopped(Event::SettingsAbnormal); }
    void MarkScriptEnded() {
        std::lock_guard lock(mutex_);
        events_.push_back(Event::ScriptEnded);
        changed_.notify_all();
    }

    std::vector<Event> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<CycleOutput> Cycles() {
        std::lock_guard lock(mutex_);
        return cycles_;
    }
    std::size_t CycleCount() {
        std::lock_guard lock(mutex_);
        return cycles_.size();
    }
    bool RunningAtAnyStopReport() {
        std::lock_guard lock(mutex_);
        return runningAtStopReport_;
    }
    // Blocks until `condition` (called under the reporter's lock with the events so far) holds.
    void Await(const std::function<bool(const std::vector<Event>&)>& condition) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return condition(events_); });
    }
    void AwaitCycles(std::size_t count) {
        Await([&](const std::vector<Event>&) { return cycles_.size() >= count; });
    }

private:
    void Stopped(Event event) {
        std::lock_guard lock(mutex_);
        runningAtStopReport_ = runningAtStopReport_ || (loop_ != nullptr && loop_->IsRunning());
        events_.push_back(event);
        changed_.notify_all();
    }

    const AcquisitionLoop* loop_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
    std::vector<CycleOutput> cycles_;
    bool runningAtStopReport_ = false;
};

} // namespace orlo::test
