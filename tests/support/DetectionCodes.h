#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace orlo::test {

// Command codes the detection page sends, in order.
using Codes = std::vector<std::uint8_t>;

inline Codes Repeated(std::uint8_t code, int count) {
    return Codes(static_cast<std::size_t>(count), code);
}

inline Codes Concat(std::initializer_list<Codes> parts) {
    Codes all;
    for (const Codes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// A load: threshold, size mask, the 16 area masks, 10 false-detection rectangles, 16 motion masks,
// both detection areas, the picture.
inline const Codes DETECTION_LOAD =
    Concat({{0x06, 0x08}, Repeated(0x62, 16), Repeated(0x68, 10), Repeated(0x77, 16), {0x66, 0x79, 0x03}});

// An apply: everything written and read back. No false-detection rectangle is written while all are
// as stored.
inline const Codes DETECTION_APPLY = Concat({{0x05, 0x06, 0x07, 0x08},
                                             Repeated(0x61, 16),
                                             Repeated(0x62, 16),
                                             Repeated(0x68, 10),
                                             Repeated(0x76, 16),
                                             Repeated(0x77, 16),
                                             {0x65, 0x66, 0x78, 0x79}});

} // namespace orlo::test
