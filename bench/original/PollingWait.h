#pragma once

#include "core/transport/Connection.h"
#include "core/transport/SocketConnection.h"

#include <cstdint>

namespace orlo::original {

// The receive wait of the original design: look at the store, sleep 1 ms, look again, until the
// bytes are there or the time-out (measured from the start; -1 never) has passed.
int PollingWaitForBytes(const CConnection& connection, int timeoutMs, std::uint32_t count);

// Our TCP link with the original's receive wait in place of the blocking one.
class PollingSocketConnection final : public CSocketConnection {
public:
    int WaitForBytes(int timeoutMs, std::uint32_t count) override {
        return PollingWaitForBytes(*this, timeoutMs, count);
    }
};

} // namespace orlo::original
