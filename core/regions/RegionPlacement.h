#pragma once

#include "core/regions/Geometry.h"

#include <span>

namespace orlo {

// Placing a selected region by numbers and keys, in sensor units. Every edge stays inside the bounds
// (SensorEdgeBounds), and width and height never go below the minimum side.

enum class RegionEdge { Left, Top, Right, Bottom };

// The edges' range: 0..width - 1 and 0..height - 1 of the frame, as far as a mouse reaches.
Rect SensorEdgeBounds(bool portrait);

// Sensor units that n surface pixels stand for at a scale (surface pixels per sensor unit), rounded to
// the nearest unit: one pixel is 3 units at both editor scales, ten pixels 27.
std::int32_t SurfacePixelsToSensor(int pixels, double scale);

// The smallest side a region keeps: the tracker's minimum (surface pixels) in sensor units, rounded
// up so the surface rectangle still reaches it, and at least floor (the mask minimum, or 1).
std::int32_t MinimumSensorSide(int minimumSurfacePixels, double scale, std::int32_t floor);

// The rectangle brought into the bounds with at least the minimum side: a rectangle too large for
// the bounds is cut at them.
Rect FitIntoBounds(const Rect& rect, const Rect& bounds, std::int32_t minimumSide);

// One edge typed as a value: the value is clamped into the bounds (leaving room for the minimum side),
// and the opposite edge gives way when the region would get narrower than the minimum side.
Rect WithTypedEdge(const Rect& rect, RegionEdge edge, std::int32_t value, const Rect& bounds,
                   std::int32_t minimumSide);

// The region moved by (dx, dy) keeping its size; it stops at the bounds.
Rect MovedRegion(const Rect& rect, std::int32_t dx, std::int32_t dy, const Rect& bounds,
                 std::int32_t minimumSide);

// The right and bottom edges moved by (dRight, dBottom); they stop at the bounds and at the minimum side.
Rect ResizedRegion(const Rect& rect, std::int32_t dRight, std::int32_t dBottom, const Rect& bounds,
                   std::int32_t minimumSide);

// The next region in use after current (index order, wrapping), or -1 when none is in use. With no
// current region (-1) the first one in use.
int NextRegionInUse(std::span<const bool> inUse, int current);

} // namespace orlo
