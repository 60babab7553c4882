#include "sim/RequestReader.h"

#include "sim/CommandCodes.h"

#include <algorithm>

namespace orlo::sim {

void RequestReader::feed(const std::uint8_t* data, std::size_t size) {
    buffer_.insert(buffer_.end(), data, data + size);
}

std::optional<FrameEvent> RequestReader::next() {
    if (buffer_.empty()) {
        return std::nullopt;
    }
    if (buffer_[0] != kStartByte) {
        // Skip to the next possible frame start; the run counts as one malformed request.
        auto it = std::find(buffer_.begin(), buffer_.end(), kStartByte);
        buffer_.erase(buffer_.begin(), it);
        FrameEvent e;
        e.garbage = true;
        return e;
    }
    if (buffer_.size() < kRequestHeaderSize) {
        return std::nullopt;
    }
    const std::size_t length = buffer_[2] | (std::size_t(buffer_[3]) << 8);
    if (buffer_.size() < kRequestHeaderSize + length) {
        return std::nullopt;
    }
    FrameEvent e;
    e.request.code = buffer_[1];
    e.request.payload.assign(buffer_.begin() + kRequestHeaderSize,
                             buffer_.begin() + kRequestHeaderSize + length);
    buffer_.erase(buffer_.begin(), buffer_.begin() + kRequestHeaderSize + length);
    return e;
}

} // namespace orlo::sim
