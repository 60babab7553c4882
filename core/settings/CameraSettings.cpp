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
    const ResultCode status = AcquireImage(session, NO_PICTURE, none);
    if (status == RC_CANCELLED) {
        return status;
    }
    read.settingsAbnormal = status == RC_SETTINGS_ABNORMAL;
    values = read;
    return RC_OK;
}

ResultCode ApplyCameraChange(DeviceSession& session, const CameraChange& change,
                             SettingsApplyProgress* progress) {
    SettingsApplyProgress done;
    if (change.sendDirection) {
        done.planned.emplace_back(write_name::MountingDirection);
    }
    if (change.mode) {
        done.planned.emplace_back(write_name::OperatingMode);
    }
    const DeviceSession::UncutCommands uncut(session);
    ResultCode result = RC_OK;
    if (change.sendDirection) {
        std::uint8_t readBack = 0;
        Rect area;
        result = RunWhileConnected(
            session,
            {[&] { return CountWrite(&done, SetMountingDirection(session, TIMEOUT_MS, change.direction)); },
             [&] { return GetMountingDirection(session, TIMEOUT_MS, readBack); },
             [&] { return GetHumanDetectionArea(session, TIMEOUT_MS, area); },
             [&] { return GetMotionDetectionArea(session, TIMEOUT_MS, area); }});
    }
    if (result == RC_OK) {
        result = RunWhileConnected(
            session,
            {[&] { return change.mode ? SetOperatingModeVerified(session, *change.mode, &done) : RC_OK; }});
    }
    if (progress != nullptr) {
        *progress = std::move(done);
    }
    return result;
}

} // namespace orlo
