#include "sim/SocketIo.h"

#include "sim/LinkControl.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <netdb.h>
#include <netinet/tcp.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orlo::sim {

void closeHandle(NativeHandle handle) {
    ::close(handle);
}

std::string lastErrorText() {
    return std::strerror(errno);
}

int waitHandles(pollfd* fds, std::size_t count, std::optional<std::chrono::steady_clock::duration> timeout) {
    timespec limit{};
    if (timeout) {
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*timeout).count();
        limit = timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    }
    int ready = 0;
    do {
        ready = ::ppoll(fds, count, timeout ? &limit : nullptr, nullptr);
    } while (ready < 0 && errno == EINTR);
    return ready;
}

long readSome(NativeHandle handle, std::uint8_t* buffer, std::size_t size, bool /*socket*/) {
    const ssize_t n = ::read(handle, buffer, size);
    if (n < 0) {
        return errno == EAGAIN || errno == EINTR ? kTryAgain : kFailed;
    }
    return static_cast<long>(n);
}

long writeSome(NativeHandle handle, const std::uint8_t* data, std::size_t size, bool socket) {
    // MSG_NOSIGNAL: a closed peer is a failed send, not a SIGPIPE for the whole simulator.
    const ssize_t n = socket ? ::send(handle, data, size, MSG_NOSIGNAL) : ::write(handle, data, size);
    if (n < 0) {
        return errno == EAGAIN || errno == EINTR ? kTryAgain : kFailed;
    }
    return static_cast<long>(n);
}

bool resolveIpv4(const std::string& host, in_addr& address) {
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
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    if (!fd.valid() || ::setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
        ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd.get(), 4) != 0) {
        error = lastErrorText();
        return kNoHandle;
    }
    if (address.sin_port == 0) {
        socklen_t len = sizeof address;
        ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &len);
    }
    return fd.release();
}

NativeHandle acceptClient(NativeHandle listener, bool& busy) {
    UniqueFd client(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
    if (!client.valid()) {
        // Out of descriptors or similar: the listener stays readable, so the caller must not spin.
        busy = errno != EAGAIN && errno != EINTR && errno != ECONNABORTED;
        return kNoHandle;
    }
    const int on = 1;
    ::setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return client.release();
}

WakeSignal::WakeSignal() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void WakeSignal::notify() {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(fd_.get(), &one, sizeof one);
}

void WakeSignal::drain() {
    std::uint64_t value = 0;
    [[maybe_unused]] auto n = ::read(fd_.get(), &value, sizeof value);
}

} // namespace orlo::sim
