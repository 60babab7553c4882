#include "core/transport/SocketBase.h"

#include <array>
#include <system_error>
#include <vector>

namespace orlo {

int CSocketBase::Send(const std::uint8_t* bytes, std::uint32_t length) {
    if (!connected_) {
        return -1;
    }
    return ::send(socket_.Get(), reinterpret_cast<const char*>(bytes), static_cast<int>(length), 0);
}

int CSocketBase::WaitReadable(int microseconds) const {
    if (!connected_) {
        return -1;
    }
    WSAPOLLFD pfd{socket_.Get(), POLLRDNORM, 0};
    const int ready = ::WSAPoll(&pfd, 1, (microseconds + 999) / 1000);
    if (ready < 0) {
        return -1;
    }
    return ready == 0 ? 1 : 0;
}

int CSocketBase::CreateSocket(std::uint16_t port) {
    Close();
    if (!EnsureWinsock()) {
        return -1;
    }
    socket_.Reset(::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT));
    if (!socket_.Valid()) {
        return -1;
    }
    address_ = sockaddr_in{};
    address_.sin_family = AF_INET;
    address_.sin_port = htons(port);
    return 0;
}

void CSocketBase::ReceiveLoop(SOCKET socket, HANDLE wake, int receiveSize) {
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(receiveSize));
    // The socket's network events signal an event object, so the thread waits on it and the wake
    // event together instead of polling.
    const UniqueHandle readable(::WSACreateEvent());
    if (!readable.Valid() || ::WSAEventSelect(socket, readable.Get(), FD_READ | FD_CLOSE) != 0) {
        Deliver(nullptr, -1);
        return;
    }
    const std::array<HANDLE, 2> handles{wake, readable.Get()};
    for (;;) {
        const DWORD which =
            ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
        if (which == WAIT_OBJECT_0) {
            return;
        }
        if (which != WAIT_OBJECT_0 + 1) {
            Deliver(nullptr, -1);
            return;
        }
        ::WSAResetEvent(readable.Get());
        // Read until the socket would block: FD_READ is signalled again only after a recv.
        for (;;) {
            const int n = ::recv(socket, reinterpret_cast<char*>(buffer.data()), receiveSize, 0);
            if (n > 0) {
                Deliver(buffer.data(), n);
                continue;
            }
            if (n < 0 && ::WSAGetLastError() == WSAEWOULDBLOCK) {
                break;
            }
            // Closed by the peer or failed: nothing more will come.
            Deliver(nullptr, -1);
            return;
        }
    }
}

} // namespace orlo
