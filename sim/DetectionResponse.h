#pragma once

#include "sim/Scene.h"
#include "sim/SensorSettings.h"

#include <cstdint>
#include <vector>

namespace orlo::sim {

// Payload of command 0x03 for the scene's current frame: head, records, checksum, then the
// picture (image kind 1 or 2) and the requested 128 x 128 blocks (0x4000 first, then 0x2000).
std::vector<std::uint8_t> buildDetectionPayload(const Scene& scene, const SensorSettings& settings,
                                                std::uint16_t functionFlags, std::uint8_t imageCode,
                                                bool corruptChecksum);

// Whether an image code is one the sensor understands (kind 0..2, block bit or nothing above).
bool isValidImageCode(std::uint8_t imageCode);

} // namespace orlo::sim
