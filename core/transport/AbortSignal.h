#pragma once

#include "core/transport/WakeEvent.h"

#include <atomic>

namespace orlo {

// A latch that any thread may raise to end a link's waits at once: a flag for the waits on a
// condition variable and an event for the system waits (a TCP connect in progress). The event lives
// as long as the latch, so raising it never meets a closed or reused handle.
class AbortSignal {
public:
    AbortSignal();
    AbortSignal(const AbortSignal&) = delete;
    AbortSignal& operator=(const AbortSignal&) = delete;

    // Any thread.
    void Raise();
    // The owner's thread, once nothing waits on the latch any more.
    void Clear();
    bool Raised() const { return raised_; }
    // Signalled while raised; invalid when the system gave no event (then only the flag works).
    auto Event() const { return event_.Fd(); }

private:
    std::atomic<bool> raised_{false};
    WakeEvent event_;
};

} // namespace orlo
