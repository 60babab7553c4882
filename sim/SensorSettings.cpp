#include "sim/SensorSettings.h"

namespace orlo::sim {

namespace {
constexpr std::array<std::uint32_t, 5> kSpeeds{9600, 38400, 115200, 230400, 460800};
}

std::uint32_t baudForSpeedIndex(std::uint8_t index) {
    return index < kSpeeds.size() ? kSpeeds[index] : 0;
}

bool isSupportedBaud(std::uint32_t baud) {
    for (auto s : kSpeeds) {
        if (s == baud) {
            return true;
        }
    }
    return false;
}

} // namespace orlo::sim
