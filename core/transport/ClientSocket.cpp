#include "core/transport/ClientSocket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

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

// A non-blocking connect bounded by a poll, so an unreachable host cannot hold the caller for minutes.
bool ConnectBounded(int fd, const sockaddr_in& address) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
        return false;
    }
    bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && errno == EINPROGRESS) {
        const auto deadline = std::chrono::steady_clock::now() + CClientSocket::kConnectTimeout;
        pollfd pfd{fd, POLLOUT, 0};
        int ready = 0;
        do {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            ready = ::poll(&pfd, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
        } while (ready < 0 && errno == EINTR);
        int error = 0;
        socklen_t length = sizeof error;
        connected = ready == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    return ::fcntl(fd, F_SETFL, flags) == 0 && connected;
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
    if (SocketFd() < 0 || !ConnectBounded(SocketFd(), Address()) || !StartReceiving()) {
        return -1;
    }
    return 0;
}

} // namespace orlo
