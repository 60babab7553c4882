#include "core/transport/PolledStream.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

namespace orlo {

namespace {

PolledStream::Connect ConnectFailure(int error) {
    switch (error) {
    case ECONNREFUSED:
        return PolledStream::Connect::Refused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ETIMEDOUT:
        return PolledStream::Connect::Unreachable;
    default:
        return PolledStream::Connect::Failed;
    }
}

PolledStream::Io IoFailure(int error) {
    if (error == EAGAIN || error == EWOULDBLOCK || error == EINTR) {
        return PolledStream::Io::WouldBlock;
    }
    return error == ECONNRESET || error == EPIPE ? PolledStream::Io::Reset : PolledStream::Io::Failed;
}

} // namespace

PolledStream::Connect PolledStream::StartConnect(const Ipv4Address& address, std::uint16_t port) {
    socket_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket_.Valid()) {
        return Connect::Failed;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(std::uint32_t{address[0]} << 24 | std::uint32_t{address[1]} << 16 |
                                 std::uint32_t{address[2]} << 8 | address[3]);
    if (::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return Connect::Connected;
    }
    if (errno == EINPROGRESS || errno == EINTR) {
        return Connect::Pending;
    }
    const Connect failure = ConnectFailure(errno);
    socket_.Reset();
    return failure;
}

PolledStream::Connect PolledStream::FinishConnect() {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket_.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) {
        error = errno;
    }
    if (error == 0) {
        // Ready without an error can still be a connect in progress (a spurious wake-up).
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        if (::getpeername(socket_.Get(), reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0) {
            return Connect::Connected;
        }
        return errno == ENOTCONN ? Connect::Pending : Connect::Failed;
    }
    if (error == EINPROGRESS || error == EALREADY) {
        return Connect::Pending;
    }
    return ConnectFailure(error);
}

PolledStream::Io PolledStream::Send(std::span<const std::uint8_t> bytes, std::size_t& count) {
    // MSG_NOSIGNAL: a peer that went away is a failed send, not a SIGPIPE for the whole program.
    const ssize_t sent = ::send(socket_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
        return IoFailure(errno);
    }
    count = static_cast<std::size_t>(sent);
    return Io::Done;
}

PolledStream::Io PolledStream::Receive(std::span<std::uint8_t> buffer, std::size_t& count) {
    const ssize_t received = ::recv(socket_.Get(), buffer.data(), buffer.size(), 0);
    if (received < 0) {
        return IoFailure(errno);
    }
    if (received == 0) {
        return Io::Closed;
    }
    count = static_cast<std::size_t>(received);
    return Io::Done;
}

WaitOutcome WaitForStreams(std::span<StreamWait> waits, std::chrono::milliseconds timeout,
                           const AbortSignal* abort) {
    std::vector<pollfd> fds;
    fds.reserve(waits.size() + 1);
    for (const StreamWait& wait : waits) {
        fds.push_back({wait.stream->Handle(), static_cast<short>(wait.forWrite ? POLLOUT : POLLIN), 0});
    }
    fds.push_back({abort != nullptr ? abort->Event() : -1, POLLIN, 0});
    if (abort != nullptr && abort->Raised()) {
        return WaitOutcome::Aborted;
    }
    const int milliseconds = static_cast<int>(std::max<std::chrono::milliseconds::rep>(timeout.count(), 0));
    const int ready = ::poll(fds.data(), fds.size(), milliseconds);
    if (ready < 0) {
        return errno == EINTR ? WaitOutcome::TimedOut : WaitOutcome::Failed;
    }
    if (abort != nullptr && abort->Raised()) {
        return WaitOutcome::Aborted;
    }
    for (std::size_t i = 0; i < waits.size(); ++i) {
        waits[i].ready = fds[i].revents != 0;
    }
    return ready == 0 ? WaitOutcome::TimedOut : WaitOutcome::Ready;
}

} // namespace orlo
