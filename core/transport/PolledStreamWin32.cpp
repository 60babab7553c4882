// select() takes as many sockets as the largest identification runs in flight.
#define FD_SETSIZE 1024
#include "core/transport/PolledStream.h"

#include <algorithm>
#include <ws2tcpip.h>

namespace orlo {

namespace {

// An abort is seen within this much: select() cannot wait for the abort's event as well.
constexpr std::chrono::milliseconds kAbortSlice{50};

PolledStream::Connect ConnectFailure(int error) {
    switch (error) {
    case WSAECONNREFUSED:
        return PolledStream::Connect::Refused;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAETIMEDOUT:
        return PolledStream::Connect::Unreachable;
    default:
        return PolledStream::Connect::Failed;
    }
}

PolledStream::Io IoFailure(int error) {
    if (error == WSAEWOULDBLOCK || error == WSAEINTR) {
        return PolledStream::Io::WouldBlock;
    }
    return error == WSAECONNRESET || error == WSAECONNABORTED ? PolledStream::Io::Reset
                                                              : PolledStream::Io::Failed;
}

} // namespace

PolledStream::Connect PolledStream::StartConnect(const Ipv4Address& address, std::uint16_t port) {
    if (!EnsureWinsock()) {
        return Connect::Failed;
    }
    socket_.Reset(::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT));
    u_long nonBlocking = 1;
    if (!socket_.Valid() || ::ioctlsocket(socket_.Get(), FIONBIO, &nonBlocking) != 0) {
        socket_.Reset();
        return Connect::Failed;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr =
        htonl(static_cast<u_long>(address[0]) << 24 | static_cast<u_long>(address[1]) << 16 |
              static_cast<u_long>(address[2]) << 8 | address[3]);
    if (::connect(socket_.Get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) {
        return Connect::Connected;
    }
    const int error = ::WSAGetLastError();
    if (error == WSAEWOULDBLOCK || error == WSAEINPROGRESS) {
        return Connect::Pending;
    }
    socket_.Reset();
    return ConnectFailure(error);
}

PolledStream::Connect PolledStream::FinishConnect() {
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(socket_.Get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0) {
        error = ::WSAGetLastError();
    }
    if (error != 0) {
        return ConnectFailure(error);
    }
    sockaddr_in peer{};
    int peerLength = sizeof peer;
    if (::getpeername(socket_.Get(), reinterpret_cast<sockaddr*>(&peer), &peerLength) == 0) {
        return Connect::Connected;
    }
    return ::WSAGetLastError() == WSAENOTCONN ? Connect::Pending : Connect::Failed;
}

PolledStream::Io PolledStream::Send(std::span<const std::uint8_t> bytes, std::size_t& count) {
    const int sent =
        ::send(socket_.Get(), reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), 0);
    if (sent == SOCKET_ERROR) {
        return IoFailure(::WSAGetLastError());
    }
    count = static_cast<std::size_t>(sent);
    return Io::Done;
}

PolledStream::Io PolledStream::Receive(std::span<std::uint8_t> buffer, std::size_t& count) {
    const int received =
        ::recv(socket_.Get(), reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0);
    if (received == SOCKET_ERROR) {
        return IoFailure(::WSAGetLastError());
    }
    if (received == 0) {
        return Io::Closed;
    }
    count = static_cast<std::size_t>(received);
    return Io::Done;
}

WaitOutcome WaitForStreams(std::span<StreamWait> waits, std::chrono::milliseconds timeout,
                           const AbortSignal* abort) {
    if (waits.size() > FD_SETSIZE) {
        return WaitOutcome::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (abort != nullptr && abort->Raised()) {
            return WaitOutcome::Aborted;
        }
        // A failed connect is reported in the exception set, not as writable.
        fd_set readable;
        fd_set writable;
        fd_set failed;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        for (const StreamWait& wait : waits) {
            FD_SET(wait.stream->Handle(), wait.forWrite ? &writable : &readable);
            FD_SET(wait.stream->Handle(), &failed);
        }
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const auto slice = std::clamp(left, std::chrono::milliseconds(0), kAbortSlice);
        timeval limit{0, static_cast<long>(slice.count() * 1000)};
        int ready = 0;
        if (waits.empty()) {
            ::Sleep(static_cast<DWORD>(slice.count()));
        } else {
            ready = ::select(0, &readable, &writable, &failed, &limit);
        }
        if (ready == SOCKET_ERROR) {
            return WaitOutcome::Failed;
        }
        if (ready > 0) {
            for (StreamWait& wait : waits) {
                const SOCKET socket = wait.stream->Handle();
                wait.ready =
                    FD_ISSET(socket, &readable) || FD_ISSET(socket, &writable) || FD_ISSET(socket, &failed);
            }
            return WaitOutcome::Ready;
        }
        if (left <= slice) {
            return WaitOutcome::TimedOut;
        }
    }
}

} // namespace orlo
