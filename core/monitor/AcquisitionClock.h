#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace orlo {

// The time base of the acquisition rhythm, replaceable so the rhythm can be checked without waiting.
class AcquisitionClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~AcquisitionClock() = default;
    virtual TimePoint Now() = 0;
    // Called with `lock` held on the mutex that guards `done`'s state. Returns once `deadline` has come
    // on this clock or, after a notification of `wake`, once `done()` holds.
    virtual void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake,
                           TimePoint deadline, const std::function<bool()>& done) = 0;
};

class SteadyAcquisitionClock final : public AcquisitionClock {
public:
    TimePoint Now() override { return std::chrono::steady_clock::now(); }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& wake, TimePoint deadline,
                   const std::function<bool()>& done) override {
        wake.wait_until(lock, deadline, done);
    }
};

} // namespace orlo
