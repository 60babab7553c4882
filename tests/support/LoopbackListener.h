#pragma once

#include "core/platform/UniqueFd.h"

#include <arpa/inet.h>
#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

namespace orlo::test {

// A listening TCP socket on 127.0.0.1 at a free port, whose connections the test accepts itself.
class LoopbackListener {
public:
    explicit LoopbackListener(int backlog = 16) {
        fd_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_.Get(), reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(fd_.Get(), backlog) == 0 &&
            ::getsockname(fd_.Get(), reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }

    int Fd() const { return fd_.Get(); }
    std::uint16_t Port() const { return port_; }
    UniqueFd Accept() const { return UniqueFd(::accept4(fd_.Get(), nullptr, nullptr, SOCK_CLOEXEC)); }

private:
    UniqueFd fd_;
    std::uint16_t port_ = 0;
};

} // namespace orlo::test
