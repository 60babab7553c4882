#pragma once

#include "core/regions/Geometry.h"

#include <array>
#include <vector>

namespace orlo {

// The stacking order of the two detection areas as stored in the configuration (one entry per
// character): always {0, 1} or {1, 0} afterwards, the first being drawn on top. Two entries are kept
// as they are, more than two give {0, 1}, fewer are completed with 0 and then 1. What would still
// name an area that does not exist, or one area twice, gives {0, 1}.
std::vector<int> NormaliseDetectAreaOrder(std::vector<int> entries);

// An unset detection area stands for the whole frame.
Rect DetectionAreaOrFrame(const Rect& area, bool portrait);

// A detection area as the page takes it back from the editor: the unset rectangle stays unset,
// every other edge is clamped onto the frame's pixels (0..width - 1, 0..height - 1).
Rect ClampDetectionArea(const Rect& area, bool portrait);

// What the detection area editor's history keeps: both areas (index = area id) and their order.
struct DetectAreaEditState {
    std::array<Rect, 2> areas{UNSET_RECT, UNSET_RECT};
    std::vector<int> order;
    friend bool operator==(const DetectAreaEditState&, const DetectAreaEditState&) = default;
};

} // namespace orlo
