#include "sim/TcpLink.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

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
        error = std::string("eventfd: ") + std::strerror(errno);
        return false;
    }
    address_.sin_family = AF_INET;
    address_.sin_port = htons(endpoint_.port);
    if (::inet_pton(AF_INET, endpoint_.host.c_str(), &address_.sin_addr) != 1) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (::getaddrinfo(endpoint_.host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
            error = endpoint_.host + ": unknown host";
            return false;
        }
        address_.sin_addr = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
    }
    return listenOn(error);
}

bool TcpLink::listenOn(std::string& error) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (!fd.valid() || ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address_), sizeof address_) != 0 ||
        ::listen(fd.get(), 4) != 0) {
        error = endpoint_.host + ":" + std::to_string(port()) + ": " + std::strerror(errno);
        return false;
    }
    if (address_.sin_port == 0) {
        // Port 0 asked for any free port; keep the one we got so a restart comes back on it.
        // Only the first call (before the thread starts) gets here, so port() needs no lock.
        socklen_t len = sizeof address_;
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address_), &len);
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
        const int ms = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
        if (::poll(&wake, 1, ms) > 0) {
            wake_.drain();
        }
    }
}

void TcpLink::run() {
    Channel::Options options;
    options.name = "tcp";
    options.socket = true;
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
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            continue;
        }
        if (fds[1].revents & POLLIN) {
            wake_.drain();
            continue;
        }
        UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!client.valid()) {
            if (errno != EAGAIN && errno != EINTR && errno != ECONNABORTED) {
                // Out of descriptors or similar: do not spin on a listener that stays readable.
                waitFor(LinkControl::Clock::now() + std::chrono::milliseconds(100));
            }
            continue;
        }
        const int on = 1;
        ::setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (log_) {
            log_("tcp: client connected");
        }
        const auto end = channel.serve(client.get());
        if (end == Channel::End::Restart) {
            // Stop listening before the client sees its connection close.
            listener_.reset();
        }
        if (log_) {
            log_(end == Channel::End::PeerClosed ? "tcp: client left" : "tcp: connection closed");
        }
    }
}

} // namespace orlo::sim
