#include "core/regions/MaskEditing.h"

#include "core/regions/RectTracking.h"

namespace orlo {

int HitTestRegions(std::span<const Rect> surfaceRects, int selected, Point point) {
    const int count = static_cast<int>(surfaceRects.size());
    if (selected >= 0 && selected < count &&
        ContainsPoint(surfaceRects[static_cast<std::size_t>(selected)], point)) {
        return selected;
    }
    int hit = -1;
    for (int slot = 0; slot < count; ++slot) {
        if (ContainsPoint(surfaceRects[static_cast<std::size_t>(slot)], point)) {
            hit = slot;
        }
    }
    return hit;
}

bool IsLargeEnoughMask(const Rect& sensorRect) {
    return sensorRect.Width() >= MIN_DRAWN_MASK_SIDE && sensorRect.Height() >= MIN_DRAWN_MASK_SIDE;
}

} // namespace orlo
