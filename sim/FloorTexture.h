#pragma once

#include <cstdint>
#include <vector>

namespace orlo::sim {

// The floor under the sensor: tiles with grout, grain and a striped rug, fixed by the seed.
// World coordinates are the landscape sensor frame (0..1600 x 0..1200).
class FloorTexture {
public:
    explicit FloorTexture(std::uint64_t seed);

    std::uint8_t at(double x, double y) const;

private:
    static constexpr int kCell = 4; // world units per texel
    static constexpr int kWidth = 1600 / kCell;
    static constexpr int kHeight = 1200 / kCell;
    std::vector<std::uint8_t> texels_;
};

} // namespace orlo::sim
