#include "sim/LinkControl.h"
#include "sim/SocketIo.h"

#include <algorithm>
#include <climits>
#include <system_error>
#include <ws2tcpip.h>

namespace orlo::sim {

namespace {

// Winsock 2.2 for the whole program, started by the first link.
bool startWinsock() {
    struct Session {
        Session() { started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0; }
        ~Session() {
            if (started) {
                ::WSACleanup();
            }
        }
        WSADATA data{};
        bool started = false;
    };
    static const Session session;
    return session.started;
}

bool makeNonBlocking(SOCKET socket) {
    u_long on = 1;
    return ::ioctlsocket(socket, FIONBIO, &on) == 0;
}

int clampedSize(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

} // namespace

void closeHandle(NativeHandle handle) {
    ::closesocket(handle);
}

std::string lastErrorText() {
    const int error = ::WSAGetLastError();
    return std::system_category().message(error) + " (" + std::to_string(error) + ")";
}

int waitHandles(pollfd* fds, std::size_t count, std::optional<std::chrono::steady_clock::duration> timeout) {
    // WSAPoll counts in whole milliseconds: round up so a deadline is never reported early.
    const INT ms =
        timeout ? static_cast<INT>(std::chrono::ceil<std::chrono::milliseconds>(*timeout).count()) : -1;
    return ::WSAPoll(fds, static_cast<ULONG>(count), ms);
}

long readSome(NativeHandle handle, std::uint8_t* buffer, std::size_t size, bool /*socket*/) {
    const int n = ::recv(handle, reinterpret_cast<char*>(buffer), clampedSize(size), 0);
    if (n == SOCKET_ERROR) {
        return ::WSAGetLastError() == WSAEWOULDBLOCK ? kTryAgain : kFailed;
    }
    return n;
}

long writeSome(NativeHandle handle, const std::uint8_t* data, std::size_t size, bool /*socket*/) {
    const int n = ::send(handle, reinterpret_cast<const char*>(data), clampedSize(size), 0);
    if (n == SOCKET_ERROR) {
        return ::WSAGetLastError() == WSAEWOULDBLOCK ? kTryAgain : kFailed;
    }
    return n;
}

bool resolveIpv4(const std::string& host, in_addr& address) {
    if (!startWinsock()) {
        return false;
    }
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
    address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

NativeHandle openListener(sockaddr_in& address, std::string& error) {
    if (!startWinsock()) {
        error = "Winsock 2.2 is not available";
        return kNoHandle;
    }
    UniqueFd socket(::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT));
    // Exclusive use: on Windows SO_REUSEADDR would let another program take over the port.
    const BOOL on = TRUE;
    if (!socket.valid() ||
        ::setsockopt(socket.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                     sizeof on) != 0 ||
        ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(socket.get(), 4) != 0 || !makeNonBlocking(socket.get())) {
        error = lastErrorText();
        return kNoHandle;
    }
    if (address.sin_port == 0) {
        int len = sizeof address;
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &len);
    }
    return socket.release();
}

NativeHandle acceptClient(NativeHandle listener, bool& busy) {
    UniqueFd client(::accept(listener, nullptr, nullptr));
    if (!client.valid()) {
        const int error = ::WSAGetLastError();
        busy = error != WSAEWOULDBLOCK && error != WSAEINTR && error != WSAECONNRESET;
        return kNoHandle;
    }
    const BOOL on = TRUE;
    ::setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    if (!makeNonBlocking(client.get())) {
        return kNoHandle;
    }
    return client.release();
}

// Windows has no eventfd that WSAPoll can wait on, so the signal is a datagram socket that sends to
// itself over the loopback interface.
WakeSignal::WakeSignal() {
    if (!startWinsock()) {
        return;
    }
    UniqueFd socket(::WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT));
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof self;
    if (socket.valid() && ::bind(socket.get(), reinterpret_cast<const sockaddr*>(&self), sizeof self) == 0 &&
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&self), &len) == 0 &&
        ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&self), sizeof self) == 0 &&
        makeNonBlocking(socket.get())) {
        fd_ = std::move(socket);
    }
}

void WakeSignal::notify() {
    const char one = 1;
    ::send(fd_.get(), &one, 1, 0);
}

void WakeSignal::drain() {
    char buffer[64];
    while (::recv(fd_.get(), buffer, sizeof buffer, 0) > 0) {
    }
}

} // namespace orlo::sim
