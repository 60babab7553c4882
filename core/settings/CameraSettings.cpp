#include "core/settings/CameraSettings.h"

#include "core/device/DetectionCommands.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SystemCommands.h"
#include "core/settings/ConnectedSteps.h"

namespace orlo {
namespace {

constexpr int TIMEOUT_MS = DeviceSession::CommandTimeoutMs;
constexpr int NO_PICTURE = 0;

} // namespace

ResultCode LoadCameraValues(DeviceSession& session, CameraValues& values) {
    CameraValues read;
    const ResultCode result =
        RunWhileConnected(session, {[&] { return GetMountingDirection(session, TIMEOUT_MS, read.direction); },
                                    [&] { return GetOperatingMode(session, TIMEOUT_MS, read.mode); }});
    if (result != RC_OK) {
        return result;
    }
    CImageData none;
    read.settingsAbnormal = AcquireImage(session, NO_PICTURE, none) == RC_SETTINGS_ABNORMAL;
    values = read;
    return RC_OK;
}

ResultCode ApplyCameraChange(DeviceSession& session, const CameraChange& change) {
    if (change.sendDirection) {
        std::uint8_t readBack = 0;
        Rect area;
        const ResultCode result = RunWhileConnected(
            session, {[&] { return SetMountingDirection(session, TIMEOUT_MS, change.direction); },
                      [&] { return GetMountingDirection(session, TIMEOUT_MS, readBack); },
                      [&] { return GetHumanDetectionArea(session, TIMEOUT_MS, area); },
                      [&] { return GetMotionDetectionArea(session, TIMEOUT_MS, area); }});
        if (result != RC_OK) {
            return result;
        }
    }
    return RunWhileConnected(
        session, {[&] { return change.mode ? SetOperatingModeVerified(session, *change.mode) : RC_OK; }});
}

} // namespace orlo
