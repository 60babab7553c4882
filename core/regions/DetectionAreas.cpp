#include "core/regions/DetectionAreas.h"

#include "core/regions/SensorGeometry.h"
#include "core/regions/TevoArea.h"

#include <algorithm>

namespace orlo {
namespace {

bool IsAreaOrder(const std::vector<int>& order) {
    return order == std::vector<int>{HUMAN_DETECTION_AREA, MOTION_DETECTION_AREA} ||
           order == std::vector<int>{MOTION_DETECTION_AREA, HUMAN_DETECTION_AREA};
}

} // namespace

std::vector<int> NormaliseDetectAreaOrder(std::vector<int> entries) {
    const std::vector<int> defaultOrder{HUMAN_DETECTION_AREA, MOTION_DETECTION_AREA};
    if (entries.size() > defaultOrder.size()) {
        return defaultOrder;
    }
    for (const int id : defaultOrder) {
        if (entries.size() < defaultOrder.size() &&
            std::find(entries.begin(), entries.end(), id) == entries.end()) {
            entries.push_back(id);
        }
    }
    // "5", "22" or "11" would otherwise list an area that does not exist or the same area twice.
    return IsAreaOrder(entries) ? entries : defaultOrder;
}

Rect DetectionAreaOrFrame(const Rect& area, bool portrait) {
    return IsUnset(area) ? FullSensorFrame(portrait) : area;
}

Rect ClampDetectionArea(const Rect& area, bool portrait) {
    if (IsUnset(area)) {
        return area;
    }
    const Extent frame = SensorFrameSize(portrait);
    const auto clampX = [&frame](std::int32_t x) { return std::clamp(x, 0, frame.width - 1); };
    const auto clampY = [&frame](std::int32_t y) { return std::clamp(y, 0, frame.height - 1); };
    return {clampX(area.left), clampY(area.top), clampX(area.right), clampY(area.bottom)};
}

} // namespace orlo
