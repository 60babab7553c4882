#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace orlo::test {

// True once `condition` holds, false when it still does not after `limit` (looked at every 2 ms).
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace orlo::test
