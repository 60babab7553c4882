#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SettingsApplyProgress.h"
#include "core/regions/AreaJudge.h"
#include "core/regions/Geometry.h"
#include "core/regions/TevoArea.h"

#include <cstdint>
#include <vector>

namespace orlo {

struct SizeMask {
    std::uint16_t minimum = 0;
    std::uint16_t maximum = 0;
    bool operator==(const SizeMask&) const = default;
};

// Detection settings commands; each is one exchange with the given time-out and writes its outputs
// only on success. Coordinates are 16-bit on the wire.
ResultCode SetThreshold(DeviceSession& session, int timeoutMs, std::uint16_t threshold);
ResultCode GetThreshold(DeviceSession& session, int timeoutMs, std::uint16_t& threshold);
ResultCode SetSizeMask(DeviceSession& session, int timeoutMs, const SizeMask& sizeMask);
ResultCode GetSizeMask(DeviceSession& session, int timeoutMs, SizeMask& sizeMask);
ResultCode SetAreaMask(DeviceSession& session, int timeoutMs, int slot, const Rect& rect,
                       std::uint8_t judgeByte);
ResultCode GetAreaMask(DeviceSession& session, int timeoutMs, int slot, Rect& rect, std::uint8_t& judgeByte);
ResultCode SetMotionMask(DeviceSession& session, int timeoutMs, int slot, const Rect& rect);
ResultCode GetMotionMask(DeviceSession& session, int timeoutMs, int slot, Rect& rect);
ResultCode SetFalseRect(DeviceSession& session, int timeoutMs, int slot, const Rect& rect);
ResultCode GetFalseRect(DeviceSession& session, int timeoutMs, int slot, Rect& rect);
ResultCode SetHumanDetectionArea(DeviceSession& session, int timeoutMs, const Rect& rect);
// The two area reads also refresh the session's detection area cache.
ResultCode GetHumanDetectionArea(DeviceSession& session, int timeoutMs, Rect& rect);
ResultCode SetMotionDetectionArea(DeviceSession& session, int timeoutMs, const Rect& rect);
ResultCode GetMotionDetectionArea(DeviceSession& session, int timeoutMs, Rect& rect);

// Whole collections. Reads stop at the first failure; applies write, read everything back and
// compare, giving -50 for the first difference. All return -1 at once when not connected. Each write
// done is counted in `progress`, whose plan the caller made (the names of write_name).
ResultCode ReadAreaMasks(DeviceSession& session, std::vector<CAreaMaskArea>& masks);
ResultCode ApplyAreaMasks(DeviceSession& session, const std::vector<CAreaMaskArea>& masks,
                          SettingsApplyProgress* progress = nullptr);
ResultCode ReadMotionMasks(DeviceSession& session, std::vector<CTevoArea>& masks);
ResultCode ApplyMotionMasks(DeviceSession& session, const std::vector<CTevoArea>& masks,
                            SettingsApplyProgress* progress = nullptr);
ResultCode ReadFalseRects(DeviceSession& session, std::vector<CFalseRectArea>& rects);
// Writes only records that are not Stored (a Removed record as the unset rectangle).
ResultCode ApplyFalseRects(DeviceSession& session, const std::vector<CFalseRectArea>& rects,
                           SettingsApplyProgress* progress = nullptr);

// Single values written and read back the way the detection page applies them; the write is counted
// in `progress`.
ResultCode SetThresholdVerified(DeviceSession& session, std::uint16_t threshold,
                                SettingsApplyProgress* progress = nullptr);
ResultCode SetSizeMaskVerified(DeviceSession& session, const SizeMask& sizeMask,
                               SettingsApplyProgress* progress = nullptr);
ResultCode SetHumanDetectionAreaVerified(DeviceSession& session, const Rect& rect,
                                         SettingsApplyProgress* progress = nullptr);
ResultCode SetMotionDetectionAreaVerified(DeviceSession& session, const Rect& rect,
                                          SettingsApplyProgress* progress = nullptr);

} // namespace orlo
