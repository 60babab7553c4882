#include "core/transport/ClientSocket.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <ws2tcpip.h>

namespace orlo {

namespace {

bool ResolveIpv4(const std::string& host, in_addr& address) {
    if (::inet_pton(AF_INET, host.c_str(), &address) == 1) {
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
        return false;
    }
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    return true;
}

// A non-blocking connect bounded by a wait, so an unreachable host cannot hold the caller for long.
// The socket stays non-blocking afterwards: the receive thread selects its events, which needs that.
bool ConnectBounded(SOCKET socket, const sockaddr_in& address) {
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

} // namespace

int CClientSocket::Create(std::uint16_t port, const std::string& host) {
    if (const int result = CreateSocket(port); result != 0) {
        return result;
    }
    if (!ResolveIpv4(host, Address().sin_addr)) {
        Close();
        return -1;
    }
    return 0;
}

int CClientSocket::Disconnect() {
    Close();
    return 0;
}

int CClientSocket::Connect() {
    if (SocketFd() == INVALID_SOCKET || !ConnectBounded(SocketFd(), Address()) || !StartReceiving()) {
        return -1;
    }
    return 0;
}

} // namespace orlo
