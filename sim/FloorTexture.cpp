#include "sim/FloorTexture.h"

#include "sim/SceneRandom.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace orlo::sim {

FloorTexture::FloorTexture(std::uint64_t seed) : texels_(Shared(seed)) {}

std::shared_ptr<const FloorTexture::Texels> FloorTexture::Shared(std::uint64_t seed) {
    // The last floor drawn is kept: tests and the fuzzers start many simulators with one seed.
    static std::mutex mutex;
    static std::uint64_t lastSeed = 0;
    static std::shared_ptr<const Texels> last;
    std::lock_guard lock(mutex);
    if (!last || lastSeed != seed) {
        last = Draw(seed);
        lastSeed = seed;
    }
    return last;
}

std::shared_ptr<const FloorTexture::Texels> FloorTexture::Draw(std::uint64_t seed) {
    auto texels = std::make_shared<Texels>(static_cast<std::size_t>(kWidth) * kHeight);
    SceneRandom rng(seed ^ 0x5F3759DFull);
    const int tile = 160 + static_cast<int>(rng.below(5)) * 20;
    const int base = 120 + static_cast<int>(rng.below(40));
    const int rugL = 100 + static_cast<int>(rng.below(900));
    const int rugT = 100 + static_cast<int>(rng.below(600));
    const int rugR = rugL + 300 + static_cast<int>(rng.below(300));
    const int rugB = rugT + 200 + static_cast<int>(rng.below(250));
    const double stripeAngle = rng.uniform() * 3.14159;
    const double sa = std::sin(stripeAngle), ca = std::cos(stripeAngle);
    std::vector<int> tileShade(64);
    for (auto& t : tileShade) {
        t = static_cast<int>(rng.below(25)) - 12;
    }
    for (int ty = 0; ty < kHeight; ++ty) {
        for (int tx = 0; tx < kWidth; ++tx) {
            const int x = tx * kCell + kCell / 2;
            const int y = ty * kCell + kCell / 2;
            int v = base + tileShade[static_cast<std::size_t>(((x / tile) * 7 + (y / tile) * 3) % 64)];
            if (x % tile < 6 || y % tile < 6) {
                v = base - 45;
            }
            v += static_cast<int>(rng.below(13)) - 6;
            if (x >= rugL && x <= rugR && y >= rugT && y <= rugB) {
                const double s = x * ca + y * sa;
                v = 175 + (static_cast<int>(s / 24) % 2 == 0 ? 25 : -10) + static_cast<int>(rng.below(7)) - 3;
                if (x - rugL < 12 || rugR - x < 12 || y - rugT < 12 || rugB - y < 12) {
                    v = 70;
                }
            }
            (*texels)[static_cast<std::size_t>(ty) * kWidth + tx] =
                static_cast<std::uint8_t>(std::clamp(v, 0, 255));
        }
    }
    return texels;
}

std::uint8_t FloorTexture::at(double x, double y) const {
    const int tx = std::clamp(static_cast<int>(x) / kCell, 0, kWidth - 1);
    const int ty = std::clamp(static_cast<int>(y) / kCell, 0, kHeight - 1);
    return (*texels_)[static_cast<std::size_t>(ty) * kWidth + tx];
}

} // namespace orlo::sim
