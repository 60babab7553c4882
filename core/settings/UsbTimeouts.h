#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"

#include <cstdint>

namespace orlo {

// The sensor's two USB link time-outs in milliseconds.
struct UsbTimeouts {
    std::uint16_t sendMs = 0;
    std::uint16_t receiveMs = 0;
    bool operator==(const UsbTimeouts&) const = default;
};

// Send time-out, then receive time-out; timeouts is written only on success.
ResultCode LoadUsbTimeouts(DeviceSession& session, UsbTimeouts& timeouts);
// Writes each time-out that differs from `loaded` (what the sensor held), send first, and reads it
// back: a different value is -50 and ends the apply. With nothing different nothing is sent.
ResultCode ApplyUsbTimeouts(DeviceSession& session, const UsbTimeouts& timeouts, const UsbTimeouts& loaded);

} // namespace orlo
