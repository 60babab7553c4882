#pragma once

#include "core/device/DetectionCommands.h"
#include "core/imaging/ImageData.h"
#include "core/platform/LocalTime.h"

#include <cstdint>
#include <vector>

namespace orlo {

// Everything one successful acquisition cycle produced, with the display options read in that cycle,
// so the receiver composes the picture without another look at the configuration.
struct CycleOutput {
    LocalTimestamp time;             // taken just before the exchange
    int imageKind = 0;               // 0: no picture, 1: 320 x 240, 2: 160 x 120
    std::uint16_t functionFlags = 0; // FUNCTION_HUMAN_DETECTION or FUNCTION_MOTION_DETECTION
    bool blockRequested = false;
    std::vector<DetectionResult> results;
    bool indicator = false;
    CImageData picture;             // empty for image kind 0
    std::vector<CImageData> blocks; // the motion block when one was requested
    std::int32_t isShowDiff = 1;    // IsShowDiff of the short-range motion item
    std::int32_t diffColor = 0;     // DiffColor of the short-range motion item

    bool IsMotionCycleWithBlock() const {
        return functionFlags == FUNCTION_MOTION_DETECTION && blockRequested;
    }
    // The motion block, or null when the cycle brought none.
    const CImageData* Block() const { return blocks.empty() ? nullptr : &blocks.front(); }
};

// What the acquisition loop tells its owner. Every call comes on the acquisition thread and must not
// call back into the loop's blocking StopAndWaitIdle. None comes after StopAndWaitIdle has returned,
// until the next StartMonitoring. Before any call other than OnCycleCompleted the loop has stopped
// itself; it does not touch the sensor again until StartMonitoring.
class AcquisitionReporter {
public:
    virtual ~AcquisitionReporter() = default;
    // A successful cycle: compose the picture, hand it to the painter, ask for a paint.
    virtual void OnCycleCompleted(CycleOutput output) = 0;
    // Three exchanges in a row (counted across connections) timed out.
    virtual void OnResultLost() = 0;
    // A request could not be sent.
    virtual void OnLinkFailure() = 0;
    // The sensor reports its settings as abnormal.
    virtual void OnSettingsAbnormal() = 0;
};

} // namespace orlo
