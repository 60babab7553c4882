#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <thread>

namespace orlo::cli {

// Ctrl-C for orloctl. While one lives (one per process), SIGINT and SIGTERM (on Windows Ctrl-C and
// Ctrl-Break) are caught: the handler only records the signal and wakes a watcher thread, which runs
// the abort the command in progress registered (DeviceSession::Abort), so that the command's waits
// end at once. Each handler catches once; a second signal of a kind ends the program as usual.
class Interruption {
public:
    Interruption();
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;
    ~Interruption();

    // While one lives, `abort` runs on the watcher thread when a signal comes, or at once when one
    // came already. Once it is destroyed, its abort is not running and will not run. Several may
    // live at once (commands run against several sensors side by side): a signal runs them all.
    class Registration {
    public:
        // Does nothing without an interruption.
        Registration(Interruption* interruption, std::function<void()> abort);
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        ~Registration();

    private:
        Interruption* interruption_;
        std::list<std::function<void()>>::iterator abort_;
    };

    // The signal that came first (SIGINT, SIGTERM), 0 while none did.
    int Signal() const { return signal_; }
    // 128 + the signal, the status of a program that the signal ended.
    int ExitStatus() const { return 128 + signal_; }
    // Set once a signal came, for work that looks between its steps.
    const std::atomic<bool>& Flag() const { return interrupted_; }
    // Sleeps until `until` unless a signal comes first; false when one came.
    bool SleepUntil(std::chrono::steady_clock::time_point until);

private:
    void Watch();
    void Deliver(int signal);

    // The system's side (InterruptionSystem*.cpp): handlers that record the signal and wake the
    // watcher, a wait for them, and a wake-up with 0 that ends the watcher.
    static bool InstallHandlers();
    static void RemoveHandlers();
    static int WaitForSignal();
    static void WakeWithoutSignal();

    std::atomic<bool> interrupted_{false};
    std::atomic<int> signal_{0};
    std::mutex mutex_;
    std::condition_variable signalled_;
    std::list<std::function<void()>> aborts_; // under mutex_
    std::thread watcher_;
};

} // namespace orlo::cli
