#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace orlo {

// The values one sensor setting takes. `orloctl set` and the settings file reader check the same
// rules, so a file never restores what `set` would refuse.
struct SettingRule {
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
    bool judgeByte = false; // only the bytes that name a judge, within the range

    bool Allows(std::int64_t value) const;
    // "1..1000", "1..100, 128, 144, 255": the same in every language.
    std::string Describe() const;
};

inline constexpr SettingRule DirectionRule{0, 3};
inline constexpr SettingRule ThresholdRule{1, 1000};
inline constexpr SettingRule SizeRule{20, 1600};
// A coordinate is a signed 16-bit field.
inline constexpr SettingRule CoordinateRule{-32768, 32767};
inline constexpr SettingRule JudgeByteRule{1, 255, true};
inline constexpr SettingRule ByteRule{0, 255};
inline constexpr SettingRule WordRule{0, 65535};
// The angle of view stays on the PC as a 32-bit number.
inline constexpr SettingRule AngleOfViewRule{std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()};

} // namespace orlo
