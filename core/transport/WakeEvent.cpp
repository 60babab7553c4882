#include "core/transport/WakeEvent.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace orlo {

bool WakeEvent::Create() {
    fd_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    return fd_.Valid();
}

void WakeEvent::Signal() const {
    const std::uint64_t one = 1;
    // A full counter already wakes the poller, so a failed write needs no handling.
    [[maybe_unused]] const auto written = ::write(fd_.Get(), &one, sizeof one);
}

void WakeEvent::Clear() const {
    // One read takes the whole count; an empty event answers EAGAIN, which is what is wanted.
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd_.Get(), &count, sizeof count);
}

} // namespace orlo
