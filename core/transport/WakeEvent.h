#pragma once

#include "core/transport/OsHandles.h"

namespace orlo {

// An eventfd (a manual-reset event on Windows) that a worker thread waits on beside its device so that its
// owner can end the wait at once.
class WakeEvent {
public:
    // Creates a fresh, unsignalled event; false when the system refuses one.
    bool Create();
    void Reset() { fd_.Reset(); }
    void Signal() const;
    // Back to unsignalled, for an event that is reused.
    void Clear() const;
    auto Fd() const { return fd_.Get(); }

private:
    EventHandle fd_;
};

} // namespace orlo
