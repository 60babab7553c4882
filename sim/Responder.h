#pragma once

#include "sim/RequestReader.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orlo::sim {

using SimLogger = std::function<void(const std::string&)>;

// What a link has to do with one framed request.
struct Reply {
    bool silent = false;                  // send nothing at all
    std::vector<std::uint8_t> bytes;      // the whole response frame
    std::uint32_t paceBaud = 0;           // the sensor's serial speed when the request was taken
    std::chrono::milliseconds delay{0};   // wait before sending
    std::optional<std::size_t> dropAfter; // send this many bytes, then drop the link
    bool restart = false;                 // restart once the response is out
};

// Whatever answers the links: the simulated sensor, or a recorded session played back. Thread-safe;
// both links share one.
class Responder {
public:
    virtual ~Responder() = default;
    virtual Reply handle(const FrameEvent& event) = 0;
    // The serial speed the pty answers at and paces with.
    virtual std::uint32_t baud() const = 0;
    // False when any line speed of the client will do.
    virtual bool checksLineSpeed() const { return true; }
    virtual std::chrono::milliseconds receiveTimeout() const = 0;
    virtual std::chrono::milliseconds sendTimeout() const = 0;
};

} // namespace orlo::sim
