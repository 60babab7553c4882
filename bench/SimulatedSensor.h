#pragma once

#include "core/device/ConnectProcedures.h"
#include "core/device/DeviceSession.h"
#include "sim/Simulator.h"

#include <algorithm>
#include <string>
#include <vector>

namespace orlo::bench {

// The value below which the given fraction of the values lie.
inline double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// A session connected over TCP loopback to a simulator inside the process, for the benchmarks of the
// windows that talk to a sensor.
class SimulatedSensor {
public:
    SimulatedSensor() : simulator_(Config()) {
        connected_ =
            simulator_.start(error_) && ConnectLan(session_, "127.0.0.1", simulator_.tcpPort(), 90) == RC_OK;
    }

    bool Connected() const { return connected_; }
    const std::string& Error() const { return error_; }
    DeviceSession& Session() { return session_; }

private:
    static sim::SimConfig Config() {
        sim::SimConfig config;
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        return config;
    }

    sim::Simulator simulator_;
    std::string error_;
    DeviceSession session_;
    bool connected_ = false;
};

} // namespace orlo::bench
