#include "sim/LinkControl.h"

namespace orlo::sim {

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
