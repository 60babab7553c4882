#pragma once

#include "device/transport/UniqueFd.h"

namespace orlo {

// An eventfd that a worker thread polls beside its device so that its owner can end the wait at once.
class WakeEvent {
public:
    // Creates a fresh, unsignalled event; false when the system refuses one.
    bool Create();
    void Reset() { fd_.Reset(); }
    void Signal() const;
    int Fd() const { return fd_.Get(); }

private:
    UniqueFd fd_;
};

} // namespace orlo
