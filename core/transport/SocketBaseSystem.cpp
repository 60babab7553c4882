#include "core/transport/SocketBase.h"

#include <array>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <system_error>
#include <vector>

namespace orlo {

int CSocketBase::Send(const std::uint8_t* bytes, std::uint32_t length) {
    if (!connected_) {
        return -1;
    }
    // MSG_NOSIGNAL: a peer that went away is a failed send, not a SIGPIPE for the whole program.
    return static_cast<int>(::send(socket_.Get(), bytes, length, MSG_NOSIGNAL));
}

int CSocketBase::WaitReadable(int microseconds) const {
    if (!connected_) {
        return -1;
    }
    pollfd pfd{socket_.Get(), POLLIN, 0};
    const int ready = ::poll(&pfd, 1, (microseconds + 999) / 1000);
    if (ready < 0) {
        return -1;
    }
    return ready == 0 ? 1 : 0;
}

int CSocketBase::CreateSocket(std::uint16_t port) {
    Close();
    socket_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket_.Valid()) {
        return -1;
    }
    address_ = sockaddr_in{};
    address_.sin_family = AF_INET;
    address_.sin_port = htons(port);
    return 0;
}

void CSocketBase::ReceiveLoop(int socketFd, int wakeFd, int receiveSize) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(receiveSize));
    for (;;) {
        std::array<pollfd, 2> fds{{{wakeFd, POLLIN, 0}, {socketFd, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Deliver(nullptr, -1);
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        const ssize_t n = ::recv(socketFd, buffer.data(), buffer.size(), 0);
        if (n > 0) {
            Deliver(buffer.data(), static_cast<int>(n));
        } else if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        } else {
            // A closed or failed connection stays readable; reading on would only spin.
            Deliver(nullptr, -1);
            return;
        }
    }
}

} // namespace orlo
