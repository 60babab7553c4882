#include "core/transport/WakeEvent.h"

namespace orlo {

bool WakeEvent::Create() {
    // Manual reset: once signalled it stays so, like an eventfd that nobody reads.
    fd_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return fd_.Valid();
}

void WakeEvent::Signal() const {
    ::SetEvent(fd_.Get());
}

void WakeEvent::Clear() const {
    ::ResetEvent(fd_.Get());
}

} // namespace orlo
