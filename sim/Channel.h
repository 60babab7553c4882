#pragma once

#include "sim/LinkControl.h"
#include "sim/Responder.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace orlo::sim {

// Serves requests on one open byte stream (an accepted socket or the pty master): frames the
// input, lets the core answer, and sends the answer, paced like a serial line when asked to.
class Channel {
public:
    struct Options {
        std::string name;                   // for the log
        bool socket = false;                // use send() so a closed peer raises no SIGPIPE
        bool pace = false;                  // 10 bits per byte at the sensor's speed
        std::function<bool()> speedMatches; // serial only: the client's line speed is the sensor's
        // TCP only: called when another client is waiting; `idle` says this one has sent nothing
        // and been sent nothing for the receive time-out. True hands the link over (End::Displaced).
        std::function<bool(bool idle)> onNewcomer;
    };

    enum class End {
        PeerClosed, // the other side went away or an I/O error occurred
        Restart,    // the sensor restarts: close and stay silent
        Dropped,    // a response was cut (fault or send time-out)
        Stop,       // the simulator stops
        Displaced,  // an idle client gave way to a waiting one
    };

    Channel(Responder& core, LinkControl& control, WakeSignal& wake, Options options, SimLogger log);

    // `fd` must be non-blocking. `newcomers` (the listener) turns readable when another client waits.
    End serve(NativeHandle fd, NativeHandle newcomers = kNoHandle);

private:
    enum class Write { Done, Aborted, TimedOut, Failed };

    bool respond(NativeHandle fd, const Reply& reply, End& end);
    Write writeOut(NativeHandle fd, const std::uint8_t* data, std::size_t size, std::uint32_t paceBaud);
    Write writeAll(NativeHandle fd, const std::uint8_t* data, std::size_t size);
    // Waits until `until`; false when the wait was cut short by a stop or a restart.
    bool sleepUntil(LinkControl::Clock::time_point until);
    bool interrupted() const;
    void log(const std::string& line) const;

    Responder& core_;
    LinkControl& control_;
    WakeSignal& wake_;
    Options options_;
    SimLogger log_;
    std::uint64_t generation_ = 0;
};

} // namespace orlo::sim
