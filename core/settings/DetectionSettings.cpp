#include "core/settings/DetectionSettings.h"

#include "core/device/DetectionCommands.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/settings/ConnectedSteps.h"

#include <algorithm>
#include <limits>

namespace orlo {
namespace {

constexpr int TIMEOUT_MS = DeviceSession::CommandTimeoutMs;
constexpr int PICTURE_320_X_240 = 1;

// Any status byte 0x50 answer: 80 itself, and a device error whose code keeps 0x50 in its low byte.
bool ReportsSettingsAbnormal(ResultCode result) {
    return (static_cast<std::uint32_t>(result) & 0xFFU) == STATUS_SETTINGS_ABNORMAL;
}

std::uint16_t WireValue(std::int32_t value) {
    return static_cast<std::uint16_t>(
        std::clamp<std::int32_t>(value, 0, std::numeric_limits<std::uint16_t>::max()));
}

template <typename Record, typename Same>
bool SameLists(const std::vector<Record>& a, const std::vector<Record>& b, Same same) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), same);
}

} // namespace

bool SameDetectionValues(const DetectionValues& edited, const DetectionValues& sensor) {
    // Every edited motion mask against the sensor's at its position; a missing one is a change.
    const bool sameMotionMasks = edited.motionMasks.size() <= sensor.motionMasks.size() &&
                                 std::equal(edited.motionMasks.begin(), edited.motionMasks.end(),
                                            sensor.motionMasks.begin(), SameRegion);
    return edited.threshold == sensor.threshold && edited.sizeMinimum == sensor.sizeMinimum &&
           edited.sizeMaximum == sensor.sizeMaximum &&
           SameLists(edited.areaMasks, sensor.areaMasks, SameAreaMask) &&
           SameLists(edited.falseRects, sensor.falseRects,
                     [](const CFalseRectArea& a, const CFalseRectArea& b) { return SameRegion(a, b); }) &&
           sameMotionMasks && edited.humanArea == sensor.humanArea && edited.motionArea == sensor.motionArea;
}

ResultCode LoadDetectionValues(DeviceSession& session, DetectionLoad& load) {
    DetectionValues read;
    std::uint16_t threshold = 0;
    SizeMask sizeMask;
    const ResultCode result = RunWhileConnected(
        session, {[&] { return GetThreshold(session, TIMEOUT_MS, threshold); },
                  [&] { return GetSizeMask(session, TIMEOUT_MS, sizeMask); },
                  [&] { return ReadAreaMasks(session, read.areaMasks); },
                  [&] { return ReadFalseRects(session, read.falseRects); },
                  [&] { return ReadMotionMasks(session, read.motionMasks); },
                  [&] { return GetHumanDetectionArea(session, TIMEOUT_MS, read.humanArea); },
                  [&] { return GetMotionDetectionArea(session, TIMEOUT_MS, read.motionArea); }});
    if (result != RC_OK) {
        return result;
    }
    read.threshold = threshold;
    read.sizeMinimum = sizeMask.minimum;
    read.sizeMaximum = sizeMask.maximum;

    // The picture is only shown: without it the load still succeeds, unless the user gave up.
    CImageData picture;
    const ResultCode pictureResult = AcquireImage(session, PICTURE_320_X_240, picture);
    if (pictureResult == RC_CANCELLED) {
        return pictureResult;
    }
    load.values = std::move(read);
    load.picture = std::move(picture);
    load.settingsAbnormal = ReportsSettingsAbnormal(pictureResult);
    return RC_OK;
}

ResultCode ApplyDetectionValues(DeviceSession& session, const DetectionValues& values,
                                SettingsApplyProgress* progress) {
    SettingsApplyProgress done{{write_name::Threshold, write_name::SizeMask}, 0};
    for (const CAreaMaskArea& mask : values.areaMasks) {
        done.planned.push_back(write_name::AreaMask(mask.GetNumber()));
    }
    for (const CFalseRectArea& rect : values.falseRects) {
        if (rect.NeedsWrite()) {
            done.planned.push_back(write_name::FalseRect(rect.GetNumber()));
        }
    }
    for (const CTevoArea& mask : values.motionMasks) {
        done.planned.push_back(write_name::MotionMask(mask.GetNumber()));
    }
    done.planned.insert(done.planned.end(),
                        {write_name::HumanDetectionArea, write_name::MotionDetectionArea});

    const SizeMask sizeMask{WireValue(values.sizeMinimum), WireValue(values.sizeMaximum)};
    const DeviceSession::UncutCommands uncut(session);
    const ResultCode result = RunWhileConnected(
        session, {[&] { return SetThresholdVerified(session, WireValue(values.threshold), &done); },
                  [&] { return SetSizeMaskVerified(session, sizeMask, &done); },
                  [&] { return ApplyAreaMasks(session, values.areaMasks, &done); },
                  [&] { return ApplyFalseRects(session, values.falseRects, &done); },
                  [&] { return ApplyMotionMasks(session, values.motionMasks, &done); },
                  [&] { return SetHumanDetectionAreaVerified(session, values.humanArea, &done); },
                  [&] { return SetMotionDetectionAreaVerified(session, values.motionArea, &done); }});
    if (progress != nullptr) {
        *progress = std::move(done);
    }
    return result;
}

} // namespace orlo
