#pragma once

#include <chrono>
#include <ctime>
#include <thread>

namespace orlo::test {

// CPU time the whole test process used while sleeping for the given wall time. A thread that spins
// would use about as much as the wall time; an idle one next to nothing.
inline std::chrono::milliseconds CpuUsedWhileIdle(std::chrono::milliseconds wall) {
    const auto cpuNow = [] {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
    };
    const auto before = cpuNow();
    std::this_thread::sleep_for(wall);
    return std::chrono::duration_cast<std::chrono::milliseconds>(cpuNow() - before);
}

} // namespace orlo::test
