#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace orlo::sim {

// Appends little-endian values to a byte vector.
class WireBuffer {
public:
    explicit WireBuffer(std::vector<std::uint8_t>& out) : out_(out) {}

    void u8(std::uint8_t v) { out_.push_back(v); }
    void u16(std::uint16_t v) {
        out_.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void s16(std::int16_t v) { u16(static_cast<std::uint16_t>(v)); }
    void u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v & 0xFFFF));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    // Byte by byte: a range insert of the fixed-size arrays inlined here makes GCC 12 at -O3 report
    // false overflows (-Wstringop-overflow, -Warray-bounds).
    void bytes(std::span<const std::uint8_t> b) {
        for (const std::uint8_t byte : b) {
            out_.push_back(byte);
        }
    }

private:
    std::vector<std::uint8_t>& out_;
};

inline std::uint16_t readU16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::int16_t readS16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(readU16(b, at));
}

} // namespace orlo::sim
