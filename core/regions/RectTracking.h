#pragma once

#include "core/regions/Geometry.h"

namespace orlo {

// Where a press lands on a tracked rectangle: one of its eight handles, its inside, or nothing.
// The handles are tested in this order.
enum class TrackerHit : int {
    Nothing = -1,
    TopLeft = 0,
    TopRight = 1,
    BottomRight = 2,
    BottomLeft = 3,
    Top = 4,
    Right = 5,
    Bottom = 6,
    Left = 7,
    Middle = 8,
};

// A point inside a rectangle: left and top edges included, right and bottom excluded.
bool ContainsPoint(const Rect& rect, Point point);
// The rectangle spanned by two points, whatever their order.
Rect NormalisedRect(Point a, Point b);
// The point moved onto the rectangle, its edges included.
Point ClampPoint(Point point, const Rect& bounds);

// The four corner handles always show; the middle handles of the top and bottom sides only when the
// width minus three handles exceeds 4, those of the left and right sides likewise by the height.
bool HandleVisible(const Rect& rect, TrackerHit handle, int handleSize);
// The square of a handle, inside the rectangle: corners in the corners, middle handles centred on
// their side.
Rect HandleRect(const Rect& rect, TrackerHit handle, int handleSize);
// A visible handle hit by the point, else Middle inside the rectangle, else Nothing.
TrackerHit HitTestTracker(const Rect& rect, Point point, int handleSize);

// The rectangle while a handle pressed at press is dragged to point: a corner or side follows the
// mouse and stops minimumSize short of the opposite edge; Middle moves the whole rectangle.
Rect TrackedRect(const Rect& start, TrackerHit handle, Point press, Point point, Extent minimumSize);

// Keeps a tracked rectangle inside bounds (unset bounds: no limit). A rectangle moved along an axis
// (both its edges changed since the previous step) is shifted back by its overshoot and keeps its
// size; then every edge is clamped into the bounds, which stops a resize at them.
Rect KeepInBounds(const Rect& previous, const Rect& proposed, const Rect& bounds);

} // namespace orlo
