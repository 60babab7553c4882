#include "sim/LinkControl.h"

#include <cstdint>
#include <sys/eventfd.h>

namespace orlo::sim {

WakeSignal::WakeSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void WakeSignal::notify() {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(fd_.get(), &one, sizeof one);
}

void WakeSignal::drain() {
    std::uint64_t value = 0;
    [[maybe_unused]] auto n = ::read(fd_.get(), &value, sizeof value);
}

void LinkControl::requestStop() {
    stop_.store(true);
    wakeAll();
}

void LinkControl::beginRestart() {
    silentUntil_.store((Clock::now() + silence_).time_since_epoch().count());
    generation_.fetch_add(1);
    wakeAll();
}

void LinkControl::wakeAll() {
    for (auto* s : signals_) {
        s->notify();
    }
}

} // namespace orlo::sim
