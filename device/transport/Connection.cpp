#include "device/transport/Connection.h"

#include <chrono>

namespace orlo {

int CConnection::WaitForBytes(int timeoutMs, std::uint32_t count) {
    std::unique_lock lock(waitMutex_);
    if (timeoutMs < 0) {
        bytesArrived_.wait(lock, [&] { return HasBytes(count); });
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    return bytesArrived_.wait_until(lock, deadline, [&] { return HasBytes(count); }) ? 0 : 1;
}

void CConnection::NotifyBytesArrived() {
    // Taking the wait mutex closes the gap between a waiter's check and its wait.
    { std::lock_guard lock(waitMutex_); }
    bytesArrived_.notify_all();
}

} // namespace orlo
