#include "core/transport/ClientSocket.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ws2tcpip.h>

namespace orlo {

// A non-blocking connect bounded by a wait, so an unreachable host cannot hold the caller for long.
// The socket stays non-blocking afterwards: the receive thread selects its events, which needs that.
bool CClientSocket::ConnectBounded() {
    const SOCKET socket = SocketFd();
    const sockaddr_in& address = Address();
    u_long nonBlocking = 1;
    if (::ioctlsocket(socket, FIONBIO, &nonBlocking) != 0) {
        return false;
    }
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        return true;
    }
    if (::WSAGetLastError() != WSAEWOULDBLOCK) {
        return false;
    }
    const auto timeout =
        std::chrono::duration_cast<std::chrono::milliseconds>(CClientSocket::kConnectTimeout);
    WSAPOLLFD pfd{socket, POLLWRNORM, 0};
    const int ready = ::WSAPoll(&pfd, 1, static_cast<INT>(timeout.count()));
    int error = 0;
    int length = sizeof error;
    return ready == 1 && (pfd.revents & POLLWRNORM) != 0 &&
           ::getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) == 0 &&
           error == 0;
}

} // namespace orlo
