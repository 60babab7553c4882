#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SettingsApplyProgress.h"

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
// `progress` gets the writes planned and done; an Abort stops before the next write (RC_CANCELLED).
ResultCode ApplyUsbTimeouts(DeviceSession& session, const UsbTimeouts& timeouts, const UsbTimeouts& loaded,
                            SettingsApplyProgress* progress = nullptr);

} // namespace orlo
