#pragma once

#include "core/platform/UniqueFd.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

namespace orlo::test {

// A loopback listener that never accepts and whose queue is full, so that a connect to it stays in
// progress (the kernel drops its handshake) like one to an address where nothing answers.
class StalledListener {
public:
    StalledListener() {
        listener_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_.Get(), 0) != 0 ||
            ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        // Clients connect until one stays in progress: the queue is full from then on.
        for (int i = 0; i < 16 && !stalled_; ++i) {
            UniqueFd client(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
            if (::connect(client.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
                errno != EINPROGRESS) {
                return;
            }
            pollfd pfd{client.Get(), POLLOUT, 0};
            stalled_ = ::poll(&pfd, 1, 300) == 0;
            if (!stalled_) {
                fillers_.push_back(std::move(client));
            }
        }
        port_ = ntohs(address.sin_port);
    }

    // False when no connect could be made to stall.
    bool Valid() const { return stalled_ && port_ != 0; }
    std::uint16_t Port() const { return port_; }

private:
    UniqueFd listener_;
    std::vector<UniqueFd> fillers_;
    bool stalled_ = false;
    std::uint16_t port_ = 0;
};

} // namespace orlo::test
