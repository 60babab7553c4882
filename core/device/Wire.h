#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace orlo::wire {

// Little-endian field access for request and response payloads. Callers check lengths first.

inline std::uint16_t U16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

inline std::int16_t S16(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::int16_t>(U16(bytes, offset));
}

inline std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(U16(bytes, offset)) | static_cast<std::uint32_t>(U16(bytes, offset + 2))
                                                                << 16;
}

// Request payloads are at most 20 bytes; the builder lives on the stack so no command allocates.
class PayloadBuilder {
public:
    PayloadBuilder& U8(std::uint8_t value) {
        bytes_.at(size_++) = value;
        return *this;
    }
    PayloadBuilder& U16(std::uint16_t value) {
        U8(static_cast<std::uint8_t>(value & 0xFF));
        return U8(static_cast<std::uint8_t>(value >> 8));
    }
    PayloadBuilder& S16(std::int32_t value) { return U16(static_cast<std::uint16_t>(value)); }
    PayloadBuilder& Zeros(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            U8(0);
        }
        return *this;
    }
    PayloadBuilder& Bytes(std::span<const std::uint8_t> bytes) {
        for (std::uint8_t byte : bytes) {
            U8(byte);
        }
        return *this;
    }
    std::span<const std::uint8_t> Span() const { return {bytes_.data(), size_}; }

private:
    std::array<std::uint8_t, 32> bytes_{};
    std::size_t size_ = 0;
};

} // namespace orlo::wire
