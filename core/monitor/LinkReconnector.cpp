#include "core/monitor/LinkReconnector.h"

#include <system_error>
#include <utility>

namespace orlo {

LinkReconnector::LinkReconnector(std::chrono::milliseconds interval) : interval_(interval) {}

LinkReconnector::~LinkReconnector() {
    Stop();
}

void LinkReconnector::SetInterval(std::chrono::milliseconds interval) {
    std::lock_guard lock(mutex_);
    interval_ = interval;
}

bool LinkReconnector::Start(Attempt attempt, Reconnected onReconnected) {
    if (retrying_) {
        return false;
    }
    if (thread_.joinable()) {
        thread_.join(); // a run that ended by itself
    }
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = false;
    }
    attempts_ = 0;
    retrying_ = true;
    try {
        thread_ = std::thread(&LinkReconnector::Run, this, std::move(attempt), std::move(onReconnected));
    } catch (const std::system_error&) {
        retrying_ = false;
        return false;
    }
    return true;
}

void LinkReconnector::RequestStop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

void LinkReconnector::Stop() {
    RequestStop();
    if (thread_.joinable()) {
        thread_.join();
    }
    retrying_ = false;
}

void LinkReconnector::Run(Attempt attempt, Reconnected onReconnected) {
    std::unique_lock lock(mutex_);
    while (!stopRequested_) {
        attempting_ = true;
        lock.unlock();
        ++attempts_;
        const ResultCode result = attempt();
        lock.lock();
        attempting_ = false;
        if (stopRequested_) {
            break;
        }
        if (result == RC_OK) {
            retrying_ = false;
            // Under the lock, so that a Stop that has begun cannot return before the report is made.
            onReconnected();
            return;
        }
        wake_.wait_for(lock, interval_, [this] { return stopRequested_; });
    }
}

} // namespace orlo
