#pragma once

#include "core/device/ResultCode.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orlo {

// Retries a lost link in the background: one attempt at once, then one every interval after the
// previous attempt ended, until an attempt succeeds or the owner stops it. The success is reported
// once, on the retry thread; nothing is reported after Stop has returned. The owner's thread never
// waits for an attempt except in Stop, and there only for the attempt in progress.
class LinkReconnector {
public:
    using Attempt = std::function<ResultCode()>;
    using Reconnected = std::function<void()>;

    explicit LinkReconnector(std::chrono::milliseconds interval);
    LinkReconnector(const LinkReconnector&) = delete;
    LinkReconnector& operator=(const LinkReconnector&) = delete;
    ~LinkReconnector();

    void SetInterval(std::chrono::milliseconds interval);
    // False, doing nothing, while a previous run is still retrying or when no thread can be started.
    bool Start(Attempt attempt, Reconnected onReconnected);
    // No attempt starts after this and a wait between attempts ends; does not block.
    void RequestStop();
    // RequestStop, then joins the retry thread (after the attempt in progress, if any).
    void Stop();

    // True from Start until the link is back or Stop.
    bool IsRetrying() const { return retrying_; }
    // True while an attempt runs (Stop would wait for it). Once RequestStop was called, a false here
    // stays false.
    bool IsAttempting() const { return attempting_; }
    int Attempts() const { return attempts_; }

private:
    void Run(Attempt attempt, Reconnected onReconnected);

    std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false; // under mutex_
    std::atomic<bool> retrying_{false};
    std::atomic<bool> attempting_{false};
    std::atomic<int> attempts_{0};
    std::thread thread_;
};

} // namespace orlo
