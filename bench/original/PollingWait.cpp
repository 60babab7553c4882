#include "bench/original/PollingWait.h"

#include <chrono>
#include <thread>

namespace orlo::original {

int PollingWaitForBytes(const CConnection& connection, int timeoutMs, std::uint32_t count) {
    const auto start = std::chrono::steady_clock::now();
    double elapsedMs = -2.0;
    for (;;) {
        if (connection.HasBytes(count)) {
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (timeoutMs != -1) {
            elapsedMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        }
        if (!(static_cast<double>(timeoutMs) > elapsedMs)) {
            return 1;
        }
    }
}

} // namespace orlo::original
