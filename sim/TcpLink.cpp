#include "sim/TcpLink.h"

#include <array>

namespace orlo::sim {

TcpLink::TcpLink(Responder& core, LinkControl& control, TcpEndpoint endpoint, SimLogger log)
    : core_(core), control_(control), endpoint_(std::move(endpoint)), log_(std::move(log)) {
    control_.attach(wake_);
}

TcpLink::~TcpLink() {
    join();
}

bool TcpLink::open(std::string& error) {
    if (!wake_.valid()) {
        error = "wake signal: " + lastErrorText();
        return false;
    }
    address_.sin_family = AF_INET;
    address_.sin_port = htons(endpoint_.port);
    if (!resolveIpv4(endpoint_.host, address_.sin_addr)) {
        error = endpoint_.host + ": unknown host";
        return false;
    }
    return listenOn(error);
}

bool TcpLink::listenOn(std::string& error) {
    // Port 0 asks for any free port; the one we got is kept so a restart comes back on it. Only the
    // first call (before the thread starts) changes it, so port() needs no lock.
    std::string reason;
    UniqueFd fd(openListener(address_, reason));
    if (!fd.valid()) {
        error = endpoint_.host + ":" + std::to_string(port()) + ": " + reason;
        return false;
    }
    listener_ = std::move(fd);
    return true;
}

void TcpLink::start() {
    thread_ = std::thread([this] { run(); });
}

void TcpLink::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TcpLink::waitFor(LinkControl::Clock::time_point until) {
    while (!control_.stopping()) {
        const auto left = until - LinkControl::Clock::now();
        if (left <= LinkControl::Clock::duration::zero()) {
            return;
        }
        pollfd wake{wake_.fd(), POLLIN, 0};
        if (waitHandles(&wake, 1, left) > 0) {
            wake_.drain();
        }
    }
}

bool TcpLink::onNewcomer(bool idle) {
    if (idle) {
        return true; // accepted by run() once this client is closed
    }
    bool busy = false;
    const UniqueFd refused(acceptClient(listener_.get(), busy));
    if (refused.valid() && log_) {
        log_("tcp: second client refused: another client is being served");
    }
    return false;
}

void TcpLink::run() {
    Channel::Options options;
    options.name = "tcp";
    options.socket = true;
    options.onNewcomer = [this](bool idle) { return onNewcomer(idle); };
    Channel channel(core_, control_, wake_, options, log_);
    while (!control_.stopping()) {
        if (control_.silentNow()) {
            listener_.reset();
            waitFor(control_.silentUntil());
            continue;
        }
        if (!listener_.valid()) {
            std::string error;
            if (!listenOn(error)) {
                if (log_) {
                    log_("tcp: cannot listen again, retrying: " + error);
                }
                waitFor(LinkControl::Clock::now() + std::chrono::milliseconds(200));
                continue;
            }
        }
        std::array<pollfd, 2> fds{pollfd{listener_.get(), POLLIN, 0}, pollfd{wake_.fd(), POLLIN, 0}};
        if (waitHandles(fds.data(), fds.size(), std::nullopt) < 0) {
            continue;
        }
        if (fds[1].revents & POLLIN) {
            wake_.drain();
            continue;
        }
        bool busy = false;
        UniqueFd client(acceptClient(listener_.get(), busy));
        if (!client.valid()) {
            if (busy) {
                waitFor(LinkControl::Clock::now() + std::chrono::milliseconds(100));
            }
            continue;
        }
        if (log_) {
            log_("tcp: client connected");
        }
        const auto end = channel.serve(client.get(), listener_.get());
        if (end == Channel::End::Restart) {
            // Stop listening before the client sees its connection close.
            listener_.reset();
        }
        if (log_) {
            log_(end == Channel::End::PeerClosed  ? "tcp: client left"
                 : end == Channel::End::Displaced ? "tcp: idle client closed for a waiting one"
                                                  : "tcp: connection closed");
        }
    }
}

} // namespace orlo::sim
