#pragma once

#include "core/regions/AreaJudge.h"
#include "core/regions/Geometry.h"

#include <span>

namespace orlo {

// A drawn mask smaller than this in either direction (sensor units) is dropped.
inline constexpr std::int32_t MIN_DRAWN_MASK_SIDE = 10;

// The slot under a surface point among the regions' surface rectangles (index = slot): the selected
// slot when the point lies in it, else the last slot that contains the point (later slots are
// painted on top), else -1. An unset slot's rectangle is empty and never matches.
int HitTestRegions(std::span<const Rect> surfaceRects, int selected, Point point);

// A rubber band converted to sensor units is kept when it is at least MIN_DRAWN_MASK_SIDE both ways.
bool IsLargeEnoughMask(const Rect& sensorRect);

// What a mask editor's history keeps of one slot: its rectangle (unset when empty) and judgement
// (left at its default by the editors without one).
struct MaskSlotState {
    Rect rect = UNSET_RECT;
    Judgement judgement;
    friend bool operator==(const MaskSlotState&, const MaskSlotState&) = default;
};

} // namespace orlo
