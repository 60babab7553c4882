#include "core/transport/ClientSocket.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

namespace orlo {

// A non-blocking connect bounded by a poll, so an unreachable host cannot hold the caller for minutes;
// the poll also watches the abort event, so an abort ends it at once.
bool CClientSocket::ConnectBounded() {
    const int fd = SocketFd();
    const sockaddr_in& address = Address();
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        return false;
    }
    bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && errno == EINPROGRESS) {
        const auto deadline = std::chrono::steady_clock::now() + CClientSocket::kConnectTimeout;
        std::array<pollfd, 2> fds{{{fd, POLLOUT, 0}, {abort_ != nullptr ? abort_->Event() : -1, POLLIN, 0}}};
        int ready = 0;
        do {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            ready = ::poll(fds.data(), fds.size(), static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        } while (ready < 0 && errno == EINTR);
        int error = 0;
        socklen_t length = sizeof error;
        connected = ready > 0 && fds[0].revents != 0 && !Aborted() &&
                    ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    return ::fcntl(fd, F_SETFL, flags) == 0 && connected;
}

} // namespace orlo
