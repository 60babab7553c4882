#include "core/transport/ClientSocket.h"

#include <memory>
#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#endif

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
    if (!HasSocket() || Aborted() || !ConnectBounded() || !StartReceiving()) {
        return -1;
    }
    return 0;
}

} // namespace orlo
