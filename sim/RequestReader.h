#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace orlo::sim {

struct Request {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> payload;
};

// One framing event: a whole request, or a run of bytes that did not start with 0xFE.
struct FrameEvent {
    bool garbage = false;
    Request request;
};

// Cuts the incoming byte stream into request frames (0xFE, code, 16-bit length, payload).
class RequestReader {
public:
    void feed(const std::uint8_t* data, std::size_t size);

    std::optional<FrameEvent> next();

    // A frame has begun but is not complete (the caller times it out).
    bool midFrame() const { return !buffer_.empty(); }
    void reset() { buffer_.clear(); }

private:
    std::vector<std::uint8_t> buffer_;
};

} // namespace orlo::sim
