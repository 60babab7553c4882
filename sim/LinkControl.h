#pragma once

#include "sim/UniqueFd.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace orlo::sim {

// An eventfd (a self-addressed loopback datagram socket on Windows) that wakes one link thread out
// of waitHandles().
class WakeSignal {
public:
    WakeSignal();
    NativeHandle fd() const { return fd_.get(); }
    bool valid() const { return fd_.valid(); }
    void notify();
    void drain();

private:
    UniqueFd fd_;
};

// What all links of one simulator share: the stop request and the restart silence.
class LinkControl {
public:
    using Clock = std::chrono::steady_clock;

    explicit LinkControl(std::chrono::milliseconds restartSilence) : silence_(restartSilence) {}

    // Every link registers its signal before any thread starts.
    void attach(WakeSignal& signal) { signals_.push_back(&signal); }

    void requestStop();
    bool stopping() const { return stop_.load(); }

    // The sensor restarts: every link closes and stays silent for the restart time.
    void beginRestart();
    std::uint64_t generation() const { return generation_.load(); }
    Clock::time_point silentUntil() const { return Clock::time_point(Clock::duration(silentUntil_.load())); }
    bool silentNow() const { return Clock::now() < silentUntil(); }

private:
    void wakeAll();

    std::chrono::milliseconds silence_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> generation_{0};
    std::atomic<Clock::rep> silentUntil_{0};
    std::vector<WakeSignal*> signals_;
};

} // namespace orlo::sim
