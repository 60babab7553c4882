#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SettingsApplyProgress.h"

#include <cstdint>
#include <optional>

namespace orlo {

// What the camera page reads from the sensor.
struct CameraValues {
    std::uint8_t direction = 0; // 0..3 for 0, 90, 180 and 270 degrees
    std::uint8_t mode = 0;      // operating mode id
    bool settingsAbnormal = false;
    bool operator==(const CameraValues&) const = default;
};

// Reads direction (which also sets the session's Portrait) and mode, then sends a status request
// without a picture: its answer 80 marks the settings as abnormal, any other failure of it but a
// cancel is ignored. values is written only on success.
ResultCode LoadCameraValues(DeviceSession& session, CameraValues& values);

// What the camera page writes.
struct CameraChange {
    std::uint8_t direction = 0;
    bool sendDirection = false;
    std::optional<std::uint8_t> mode; // none keeps the sensor's mode
};

// The direction when asked: written, read back without comparison (the sensor's frame and Portrait
// follow what it now reports) and both detection areas read into the session's cache, since a new
// frame moves them. Then the mode, read back: a different value is -50. `progress` gets the writes
// planned and done; an Abort stops the change before the next write (RC_CANCELLED), link kept open.
ResultCode ApplyCameraChange(DeviceSession& session, const CameraChange& change,
                             SettingsApplyProgress* progress = nullptr);

} // namespace orlo
