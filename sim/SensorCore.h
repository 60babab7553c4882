#pragma once

#include "sim/FaultSet.h"
#include "sim/RequestReader.h"
#include "sim/Responder.h"
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

// The sensor itself: its settings, its scene and the meaning of every command. Thread-safe;
// both links share one core, as both ports of a real sensor reach the same device.
class SensorCore : public Responder {
public:
    SensorCore(const SensorSettings& initial, std::uint64_t seed, std::string stateFile, FaultSet faults,
               SimLogger log);

    Reply handle(const FrameEvent& event) override;

    SensorSettings settings() const;
    std::uint32_t baud() const override;
    std::chrono::milliseconds receiveTimeout() const override;
    std::chrono::milliseconds sendTimeout() const override;
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
