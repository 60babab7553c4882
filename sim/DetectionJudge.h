#pragma once

#include "sim/SensorSettings.h"
#include "sim/SensorView.h"

#include <cstdint>
#include <vector>

namespace orlo::sim {

inline constexpr std::uint16_t kInfoFalseDetection = 0x2000;
inline constexpr std::uint16_t kInfoSizeMask = 0x4000;
inline constexpr std::uint16_t kInfoAreaMask = 0x8000;

struct DetectionRecord {
    std::int16_t left = 0;
    std::int16_t top = 0;
    std::int16_t right = 0;
    std::int16_t bottom = 0;
    std::uint16_t info = 0;
};

// Applies the sensor's own settings to the raw detections: the threshold and the human
// detection area decide what is reported, the masks and false-detection rectangles set the
// exclusion bits of what is.
class DetectionJudge {
public:
    explicit DetectionJudge(const SensorSettings& settings) : settings_(settings) {}

    std::vector<DetectionRecord> judge(const std::vector<SensorBox>& boxes) const;

    bool reported(const SensorBox& box) const;
    bool excludedByAreaMask(const SensorBox& box) const;
    bool excludedBySize(const SensorBox& box) const;
    bool excludedAsFalse(const SensorBox& box) const;

    // The indicator state byte: 1 while a detection without exclusion bits is present.
    static std::uint8_t stateByte(const std::vector<DetectionRecord>& records);

private:
    const SensorSettings& settings_;
};

} // namespace orlo::sim
