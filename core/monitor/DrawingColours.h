#pragma once

#include <cstdint>

namespace orlo {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// The monitoring page's pens: result frames by why a result was excluded, and the detection areas.
inline constexpr Rgb PLAIN_RESULT_COLOUR{141, 201, 77};
inline constexpr Rgb AREA_MASK_RESULT_COLOUR{237, 125, 49};
inline constexpr Rgb SIZE_MASK_RESULT_COLOUR{112, 48, 160};
inline constexpr Rgb FALSE_DETECTION_RESULT_COLOUR{255, 0, 0};
inline constexpr Rgb HUMAN_AREA_COLOUR{0, 94, 184};
inline constexpr Rgb MOTION_AREA_COLOUR{0, 153, 255};
inline constexpr int RESULT_PEN_WIDTH = 3;

} // namespace orlo
