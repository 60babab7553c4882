#pragma once

#include <cstdint>

namespace orlo {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Extent {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const Extent&, const Extent&) = default;
};

// Edges as the sensor reports them; right and bottom are coordinates, not sizes.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t Width() const { return right - left; }
    std::int32_t Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// An empty slot for masks and false-detection rectangles, the whole frame for a detection area.
inline constexpr Rect UNSET_RECT{-1, -1, -1, -1};

// Exact comparison of all four edges: {-1, -1, -1, 0} is a set rectangle.
inline bool IsUnset(const Rect& rect) {
    return rect == UNSET_RECT;
}

} // namespace orlo
