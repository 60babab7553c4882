#pragma once

#include "sim/Channel.h"
#include "sim/LinkControl.h"
#include "sim/Responder.h"
#include "sim/UniqueFd.h"

#include <string>
#include <thread>

namespace orlo::sim {

// The sensor's serial port as a pseudo-terminal. The client opens the slave path like a COM
// port; the simulator answers only while the slave's line speed is the sensor's speed.
class PtyLink {
public:
    PtyLink(Responder& core, LinkControl& control, bool throttle, std::string symlinkPath, SimLogger log);
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    bool open(std::string& error);
    void start();
    void join();

    const std::string& path() const { return slavePath_; }

private:
    void run();
    bool lineSpeedMatches() const;
    void discardInput();
    void stayQuietUntil(LinkControl::Clock::time_point until);

    Responder& core_;
    LinkControl& control_;
    bool throttle_;
    std::string symlinkPath_;
    SimLogger log_;
    WakeSignal wake_;
    UniqueFd master_;
    // Held open by the simulator so the master never sees a hang-up between clients.
    UniqueFd slave_;
    std::string slavePath_;
    bool symlinkMade_ = false;
    std::thread thread_;
};

} // namespace orlo::sim
