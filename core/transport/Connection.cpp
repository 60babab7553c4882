#include "core/transport/Connection.h"

#include <chrono>

namespace orlo {

int CConnection::WaitForBytes(int timeoutMs, std::uint32_t count) {
    std::unique_lock lock(waitMutex_);
    const auto arrivedOrGone = [&] { return Aborted() || HasBytes(count) || PeerClosed(); };
    if (timeoutMs < 0) {
        bytesArrived_.wait(lock, arrivedOrGone);
    } else {
        bytesArrived_.wait_until(
            lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs), arrivedOrGone);
    }
    return !Aborted() && HasBytes(count) ? 0 : 1;
}

void CConnection::Abort() {
    abort_.Raise();
    NotifyBytesArrived();
}

void CConnection::ClearAbort() {
    abort_.Clear();
}

void CConnection::NotifyBytesArrived() {
    // Taking the wait mutex closes the gap between a waiter's check and its wait.
    { std::lock_guard lock(waitMutex_); }
    bytesArrived_.notify_all();
}

} // namespace orlo
