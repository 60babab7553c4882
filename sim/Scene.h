#pragma once

#include "sim/FloorTexture.h"
#include "sim/SceneRandom.h"

#include <cstdint>
#include <vector>

namespace orlo::sim {

// A box in world coordinates (the landscape sensor frame, 1600 x 1200, not clipped).
struct WorldBox {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// Something the sensor's detector finds: a box and a raw confidence (may exceed 10 bits).
struct Candidate {
    WorldBox box;
    int value = 0;
};

// The scene under the sensor seen from above: people walking through, an occasional small
// object rolling by and a potted plant that the detector mistakes for a person. Advancing is
// explicit (one frame per call), so the same seed and the same calls give the same scene.
class Scene {
public:
    static constexpr double kWorldWidth = 1600;
    static constexpr double kWorldHeight = 1200;

    explicit Scene(std::uint64_t seed);

    void advance();

    // Grey value at a world point, now or one frame ago.
    std::uint8_t intensity(double x, double y, bool previous = false) const;

    // What the detector sees in the current frame (partly visible objects get lower values).
    std::vector<Candidate> candidates() const;

private:
    enum class Kind { Person, Small, Plant };
    struct Thing {
        Kind kind = Kind::Person;
        std::uint32_t id = 0;
        double x = 0, y = 0;
        double vx = 0, vy = 0;
        double halfWidth = 0; // across the walking direction
        double halfDepth = 0; // along it
        std::uint8_t bodyGrey = 0;
        std::uint8_t headGrey = 0;
        int baseValue = 0;
        int pauseFrames = 0;
        int age = 0;
        WorldBox bounds() const;
    };

    void spawn(Kind kind, bool inside);
    bool shade(const Thing& t, double x, double y, int& grey) const;

    std::uint64_t seed_;
    SceneRandom rng_;
    FloorTexture floor_;
    std::uint64_t frame_ = 0;
    std::uint32_t nextId_ = 1;
    std::vector<Thing> things_;
    std::vector<Thing> previous_;
};

} // namespace orlo::sim
