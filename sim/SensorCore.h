#pragma once

#include "sim/FaultSet.h"
#include "sim/RequestReader.h"
#include "sim/Scene.h"
#include "sim/SensorSettings.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
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

// The sensor itself: its settings, its scene and the meaning of every command. Thread-safe;
// both links share one core, as both ports of a real sensor reach the same device.
class SensorCore {
public:
    SensorCore(const SensorSettings& initial, std::uint64_t seed, std::string stateFile, FaultSet faults,
               SimLogger log);

    Reply handle(const FrameEvent& event);

    SensorSettings settings() const;
    std::uint32_t baud() const;
    std::chrono::milliseconds receiveTimeout() const;
    std::chrono::milliseconds sendTimeout() const;
    void setFaults(FaultSet faults);

private:
    struct Outcome {
        std::uint8_t status = 0;
        std::vector<std::uint8_t> payload;
        bool changed = false; // a setting changed and must be kept
        bool restart = false;
    };

    Outcome execute(const Request& request, bool corruptChecksum);
    Outcome executeSet(const Request& request);
    Outcome executeGet(const Request& request);
    void persist();
    void log(const std::string& line) const;

    mutable std::mutex mutex_;
    SensorSettings settings_;
    Scene scene_;
    std::string stateFile_;
    FaultSet faults_;
    SimLogger log_;
};

// Payload size of each request; empty for a code the sensor does not know.
std::optional<std::size_t> requestPayloadSize(std::uint8_t code);

} // namespace orlo::sim
