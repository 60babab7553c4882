#pragma once

#include "core/device/ResultCode.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orlo {

// How far a sequence of writes came. The writes go in the planned order and stop at the first
// failure or cancel, so the first `written` planned writes are on the sensor and none of the others.
// After a failure the first write not counted may have reached the sensor unconfirmed; a cancel never
// cuts a write (DeviceSession::UncutCommands), so after a cancel it has not.
struct SettingsApplyProgress {
    // The writes by name: the settings file keys they take where the file has them.
    std::vector<std::string> planned;
    std::size_t written = 0;

    std::size_t Total() const { return planned.size(); }
    // "Camera.Camera to AreaMask7": the writes done, empty for none.
    std::string Written() const;
    // The writes not done, empty for none.
    std::string NotWritten() const;
};

// Counts `result` as one write done when it is RC_OK (with a progress to count in); returns it.
ResultCode CountWrite(SettingsApplyProgress* progress, ResultCode result);

// The names of the writes.
namespace write_name {
inline constexpr const char* MountingDirection = "Camera.Camera";
inline constexpr const char* OperatingMode = "Camera.Mode";
inline constexpr const char* Threshold = "Ditection.Threshold";
inline constexpr const char* SizeMask = "Ditection.SizeMin/SizeMax";
inline constexpr const char* UsbSendTimeout = "System.USBSendTimeout";
inline constexpr const char* UsbReceiveTimeout = "System.USBReceiveTimeout";
inline constexpr const char* HumanDetectionArea = "Other.Other08-Other11";
inline constexpr const char* MotionDetectionArea = "Other.Other23-Other26";
// Slots count from 0; the names from 1, as the settings file's sections.
std::string AreaMask(int slot);
std::string MotionMask(int slot);
std::string FalseRect(int slot);
} // namespace write_name

} // namespace orlo
