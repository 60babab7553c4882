#pragma once

#include "sim/Channel.h"
#include "sim/LinkControl.h"
#include "sim/Responder.h"
#include "sim/TcpEndpoint.h"
#include "sim/UniqueFd.h"

#include <cstdint>
#include <string>
#include <thread>

namespace orlo::sim {

// The sensor's LAN port: one client at a time. Another client is served in its place once it has
// sent nothing for the receive time-out; until then a newcomer's connection is closed at once, so
// it fails at once instead of waiting unanswered. A restart closes the connection and the listening
// socket until the sensor is back.
class TcpLink {
public:
    TcpLink(Responder& core, LinkControl& control, TcpEndpoint endpoint, SimLogger log);
    ~TcpLink();
    TcpLink(const TcpLink&) = delete;
    TcpLink& operator=(const TcpLink&) = delete;

    bool open(std::string& error);
    void start();
    void join();

    std::uint16_t port() const { return ntohs(address_.sin_port); }

private:
    void run();
    bool listenOn(std::string& error);
    void waitFor(LinkControl::Clock::time_point until);
    // Gives way to a waiting client when the one served is idle, else closes the waiting one.
    bool onNewcomer(bool idle);

    Responder& core_;
    LinkControl& control_;
    TcpEndpoint endpoint_;
    SimLogger log_;
    WakeSignal wake_;
    sockaddr_in address_{};
    UniqueFd listener_;
    std::thread thread_;
};

} // namespace orlo::sim
