#pragma once

#include "core/transport/Connection.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orlo::fuzz {

// Everything the sensor sends during a run, as one byte stream in memory. Bytes arrive only when a
// wait asks for them, so a Send drops exactly what had arrived and was left unread, as on a real
// link; what a wait cannot get is a time-out at once.
class StreamConnection : public CConnection {
public:
    explicit StreamConnection(std::span<const std::uint8_t> stream) : stream_(stream) { SetConnected(true); }

    std::uint32_t Send(std::uint32_t length, const std::uint8_t* /*bytes*/) override {
        read_ = arrived_;
        return length;
    }
    std::uint32_t Receive(std::uint32_t count, std::uint8_t* destination) override {
        const std::size_t copied = std::min<std::size_t>(count, arrived_ - read_);
        std::copy_n(stream_.begin() + static_cast<std::ptrdiff_t>(read_), copied, destination);
        read_ += copied;
        return static_cast<std::uint32_t>(copied);
    }
    int WaitForBytes(int /*timeoutMs*/, std::uint32_t count) override {
        arrived_ = std::max(arrived_, std::min(stream_.size(), read_ + count));
        return HasBytes(count) ? 0 : 1;
    }
    bool HasBytes(std::uint32_t count) const override { return arrived_ - read_ >= count; }

private:
    std::span<const std::uint8_t> stream_;
    std::size_t read_ = 0;
    std::size_t arrived_ = 0;
};

} // namespace orlo::fuzz
