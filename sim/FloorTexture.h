#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace orlo::sim {

// The floor under the sensor: tiles with grout, grain and a striped rug, fixed by the seed.
// World coordinates are the landscape sensor frame (0..1600 x 0..1200). Floors of one seed share their
// texels: drawing one costs far more than the rest of a simulator's start.
class FloorTexture {
public:
    explicit FloorTexture(std::uint64_t seed);

    std::uint8_t at(double x, double y) const;

private:
    static constexpr int kCell = 4; // world units per texel
    static constexpr int kWidth = 1600 / kCell;
    static constexpr int kHeight = 1200 / kCell;
    using Texels = std::vector<std::uint8_t>;
    static std::shared_ptr<const Texels> Draw(std::uint64_t seed);
    static std::shared_ptr<const Texels> Shared(std::uint64_t seed);

    std::shared_ptr<const Texels> texels_;
};

} // namespace orlo::sim
