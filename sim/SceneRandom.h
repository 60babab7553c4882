#pragma once

#include <cstdint>

namespace orlo::sim {

// splitmix64: the same numbers on every platform and standard library, so a seed means one scene.
class SceneRandom {
public:
    explicit SceneRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    std::uint64_t below(std::uint64_t n) { return n == 0 ? 0 : next() % n; }
    // [0, 1)
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double between(double lo, double hi) { return lo + (hi - lo) * uniform(); }

    // A stateless hash for per-frame jitter that must not disturb the main sequence.
    static std::uint64_t mix(std::uint64_t a, std::uint64_t b) {
        SceneRandom r(a * 0x2545F4914F6CDD1Dull ^ b);
        return r.next();
    }

private:
    std::uint64_t state_;
};

} // namespace orlo::sim
