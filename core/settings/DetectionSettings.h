#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SettingsApplyProgress.h"
#include "core/imaging/ImageData.h"
#include "core/regions/Geometry.h"
#include "core/regions/TevoArea.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orlo {

// Every detection setting of the sensor, as the detection page holds it twice: as read from the
// sensor and as edited.
struct DetectionValues {
    std::int32_t threshold = 0;
    std::int32_t sizeMinimum = 0;
    std::int32_t sizeMaximum = 0;
    std::vector<CAreaMaskArea> areaMasks;
    std::vector<CFalseRectArea> falseRects;
    std::vector<CTevoArea> motionMasks;
    Rect humanArea = UNSET_RECT;  // unset: the whole frame
    Rect motionArea = UNSET_RECT; // unset: the whole frame
};

// True when applying edited would change nothing on a sensor that holds sensor: the same threshold
// and size limits, area masks with the same numbers, rectangles and judgements (the percentage counts
// only under Overlap), false-detection rectangles with the same numbers and rectangles (their state
// is not compared), the same motion masks and both detection areas.
bool SameDetectionValues(const DetectionValues& edited, const DetectionValues& sensor);

// What one load of the detection page brings.
struct DetectionLoad {
    DetectionValues values;
    CImageData picture;            // 320 x 240; empty when the sensor sent none
    bool settingsAbnormal = false; // the picture request was answered with status 0x50
};

// Reads threshold, size mask, area masks, false-detection rectangles, motion masks and both
// detection areas (into the session's cache as well), stopping at the first failure; then asks for
// a 320 x 240 picture, whose failure does not fail the load unless it was cancelled. load is
// written only on success.
ResultCode LoadDetectionValues(DeviceSession& session, DetectionLoad& load);

// Writes every value in the sensor's order, each read back (a difference is -50), stopping at the
// first failure: threshold, size mask, area masks, false-detection rectangles (only those not as
// stored), motion masks, human and motion detection areas. `progress` gets the writes planned and
// done whatever the result; an Abort stops the apply before the next write (RC_CANCELLED) with the
// link kept open, so that the page can be read again after DeviceSession::ClearAbort.
ResultCode ApplyDetectionValues(DeviceSession& session, const DetectionValues& values,
                                SettingsApplyProgress* progress = nullptr);

} // namespace orlo
