#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <thread>

namespace orlo::test {

// Threads of this process, as the kernel lists them. ThreadSanitizer starts a thread of its own when
// the process starts its first thread, so one is started and joined before the first count.
inline std::size_t ThreadCount() {
    static const bool runtimeThreadsStarted = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)runtimeThreadsStarted;
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

// The thread count once it is down to `expected`, or after a second what it is then: a joined thread
// may still be listed for a moment after its join returned.
inline std::size_t ThreadCountSettledAt(std::size_t expected) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    std::size_t count = ThreadCount();
    while (count > expected && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        count = ThreadCount();
    }
    return count;
}

} // namespace orlo::test
