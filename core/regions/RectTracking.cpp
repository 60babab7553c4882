#include "core/regions/RectTracking.h"

#include <algorithm>
#include <cstdlib>

namespace orlo {
namespace {

// A side is long enough for its middle handle when it exceeds three handles by more than 4.
bool SideTakesMiddleHandle(std::int32_t length, int handleSize) {
    return std::abs(length) - 3 * handleSize > 4;
}

bool MovesLeft(TrackerHit hit) {
    return hit == TrackerHit::TopLeft || hit == TrackerHit::BottomLeft || hit == TrackerHit::Left;
}
bool MovesRight(TrackerHit hit) {
    return hit == TrackerHit::TopRight || hit == TrackerHit::BottomRight || hit == TrackerHit::Right;
}
bool MovesTop(TrackerHit hit) {
    return hit == TrackerHit::TopLeft || hit == TrackerHit::TopRight || hit == TrackerHit::Top;
}
bool MovesBottom(TrackerHit hit) {
    return hit == TrackerHit::BottomLeft || hit == TrackerHit::BottomRight || hit == TrackerHit::Bottom;
}

// Shifts [low, high] back inside [lowest, highest] when both ends moved.
void ShiftBack(std::int32_t& low, std::int32_t& high, std::int32_t lowest, std::int32_t highest) {
    if (low < lowest) {
        high += lowest - low;
        low = lowest;
    } else if (high > highest) {
        low -= high - highest;
        high = highest;
    }
}

} // namespace

bool ContainsPoint(const Rect& rect, Point point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

Rect NormalisedRect(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

Point ClampPoint(Point point, const Rect& bounds) {
    return {std::clamp(point.x, bounds.left, std::max(bounds.left, bounds.right)),
            std::clamp(point.y, bounds.top, std::max(bounds.top, bounds.bottom))};
}

bool HandleVisible(const Rect& rect, TrackerHit handle, int handleSize) {
    switch (handle) {
    case TrackerHit::TopLeft:
    case TrackerHit::TopRight:
    case TrackerHit::BottomRight:
    case TrackerHit::BottomLeft:
        return true;
    case TrackerHit::Top:
    case TrackerHit::Bottom:
        return SideTakesMiddleHandle(rect.Width(), handleSize);
    case TrackerHit::Left:
    case TrackerHit::Right:
        return SideTakesMiddleHandle(rect.Height(), handleSize);
    case TrackerHit::Nothing:
    case TrackerHit::Middle:
        break;
    }
    return false;
}

Rect HandleRect(const Rect& rect, TrackerHit handle, int handleSize) {
    const std::int32_t centreX = rect.left + (rect.Width() - handleSize) / 2;
    const std::int32_t centreY = rect.top + (rect.Height() - handleSize) / 2;
    std::int32_t x = rect.left;
    std::int32_t y = rect.top;
    if (MovesRight(handle)) {
        x = rect.right - handleSize;
    } else if (handle == TrackerHit::Top || handle == TrackerHit::Bottom) {
        x = centreX;
    }
    if (MovesBottom(handle)) {
        y = rect.bottom - handleSize;
    } else if (handle == TrackerHit::Left || handle == TrackerHit::Right) {
        y = centreY;
    }
    return {x, y, x + handleSize, y + handleSize};
}

TrackerHit HitTestTracker(const Rect& rect, Point point, int handleSize) {
    if (!ContainsPoint(rect, point)) {
        return TrackerHit::Nothing;
    }
    for (int i = static_cast<int>(TrackerHit::TopLeft); i <= static_cast<int>(TrackerHit::Left); ++i) {
        const auto handle = static_cast<TrackerHit>(i);
        if (HandleVisible(rect, handle, handleSize) &&
            ContainsPoint(HandleRect(rect, handle, handleSize), point)) {
            return handle;
        }
    }
    return TrackerHit::Middle;
}

Rect TrackedRect(const Rect& start, TrackerHit handle, Point press, Point point, Extent minimumSize) {
    const std::int32_t dx = point.x - press.x;
    const std::int32_t dy = point.y - press.y;
    Rect rect = start;
    if (handle == TrackerHit::Middle) {
        return {start.left + dx, start.top + dy, start.right + dx, start.bottom + dy};
    }
    if (MovesLeft(handle)) {
        rect.left = std::min(start.left + dx, rect.right - minimumSize.width);
    } else if (MovesRight(handle)) {
        rect.right = std::max(start.right + dx, rect.left + minimumSize.width);
    }
    if (MovesTop(handle)) {
        rect.top = std::min(start.top + dy, rect.bottom - minimumSize.height);
    } else if (MovesBottom(handle)) {
        rect.bottom = std::max(start.bottom + dy, rect.top + minimumSize.height);
    }
    return rect;
}

Rect KeepInBounds(const Rect& previous, const Rect& proposed, const Rect& bounds) {
    if (IsUnset(bounds)) {
        return proposed;
    }
    Rect rect = proposed;
    if (rect.left != previous.left && rect.right != previous.right) {
        ShiftBack(rect.left, rect.right, bounds.left, bounds.right);
    }
    if (rect.top != previous.top && rect.bottom != previous.bottom) {
        ShiftBack(rect.top, rect.bottom, bounds.top, bounds.bottom);
    }
    rect.left = std::max(rect.left, bounds.left);
    rect.top = std::max(rect.top, bounds.top);
    rect.right = std::min(rect.right, bounds.right);
    rect.bottom = std::min(rect.bottom, bounds.bottom);
    return rect;
}

} // namespace orlo
