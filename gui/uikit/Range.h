#pragma once

#include <algorithm>
#include <cstdint>

namespace orlo {

// Inclusive limits of a numeric field.
struct CRange {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;

    std::int32_t Clamp(std::int32_t value) const {
        return std::clamp(value, minimum, std::max(minimum, maximum));
    }
    bool Contains(std::int32_t value) const { return value >= minimum && value <= maximum; }
};

} // namespace orlo
