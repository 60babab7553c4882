#include "core/transport/AbortSignal.h"

namespace orlo {

AbortSignal::AbortSignal() {
    event_.Create();
}

void AbortSignal::Raise() {
    // The flag first: a waiter woken by the event must find it set.
    raised_ = true;
    event_.Signal();
}

void AbortSignal::Clear() {
    raised_ = false;
    event_.Clear();
}

} // namespace orlo
