#pragma once

#include "sim/FaultSet.h"
#include "sim/SensorCore.h"
#include "sim/SensorSettings.h"
#include "sim/TcpEndpoint.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orlo::sim {

class LinkControl;
class PtyLink;
class ReplayResponder;
class TcpLink;

struct SimConfig {
    std::optional<TcpEndpoint> tcp;
    bool pty = false;
    std::string ptyLink;               // optional symbolic link to the slave path
    std::optional<std::uint32_t> baud; // sensor speed; else the stored one, else 115200
    bool throttle = true;
    std::string stateFile;
    std::chrono::milliseconds restartSilence{5000};
    std::uint64_t seed = 1;
    FaultSet faults;
    SimLogger log;
    // The information text (0x0D) at start, replacing the stored one: CP932 bytes, zero-padded.
    std::optional<std::array<std::uint8_t, kDeviceInfoTextSize>> infoText;
    std::string replayLog; // play this command log back instead of simulating a sensor
    SimLogger report;      // requests a replay has no answer for
};

// The whole simulated sensor: one core shared by a TCP link and/or a pty link, each on its own
// thread. For orlo-sim, tests and the set-up tool's demo mode. With a replay log the links play a
// recorded session back instead.
class Simulator {
public:
    explicit Simulator(SimConfig config);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Loads the state, opens the links and starts serving; false with `error` on failure.
    bool start(std::string& error);
    // Closes every link and joins every thread; safe to call more than once.
    void stop();

    std::uint16_t tcpPort() const;
    std::string ptyPath() const;

    SensorSettings settings() const;
    void setFaults(FaultSet faults);

private:
    bool startResponder(std::string& error);
    void releaseResponder();

    SimConfig config_;
    std::unique_ptr<SensorCore> core_;
    std::unique_ptr<ReplayResponder> replay_;
    std::unique_ptr<LinkControl> control_;
    std::unique_ptr<TcpLink> tcp_;
    std::unique_ptr<PtyLink> pty_;
};

} // namespace orlo::sim
