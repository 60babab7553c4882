#include "core/transport/ClientSocket.h"

#include <array>
#include <chrono>
#include <ws2tcpip.h>

namespace orlo {

// A non-blocking connect bounded by a wait, so an unreachable host cannot hold the caller for long;
// the wait also watches the abort event, so an abort ends it at once. The socket stays non-blocking
// afterwards: the receive thread selects its events, which needs that.
bool CClientSocket::ConnectBounded() {
    const SOCKET socket = SocketFd();
    const sockaddr_in& address = Address();
    // Selecting FD_CONNECT makes the socket non-blocking and signals the event when the connect ends.
    const UniqueHandle connectEvent(::WSACreateEvent());
    if (!connectEvent.Valid() || ::WSAEventSelect(socket, connectEvent.Get(), FD_CONNECT) != 0) {
        return false;
    }
    bool connected = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!connected && ::WSAGetLastError() == WSAEWOULDBLOCK) {
        const std::array<HANDLE, 2> handles{connectEvent.Get(),
                                            abort_ != nullptr ? abort_->Event() : nullptr};
        const DWORD count = handles[1] != nullptr ? 2 : 1;
        const auto timeout =
            std::chrono::duration_cast<std::chrono::milliseconds>(CClientSocket::kConnectTimeout);
        const DWORD which =
            ::WaitForMultipleObjects(count, handles.data(), FALSE, static_cast<DWORD>(timeout.count()));
        WSANETWORKEVENTS events{};
        connected = which == WAIT_OBJECT_0 &&
                    ::WSAEnumNetworkEvents(socket, connectEvent.Get(), &events) == 0 &&
                    (events.lNetworkEvents & FD_CONNECT) != 0 && events.iErrorCode[FD_CONNECT_BIT] == 0;
    }
    // The receive thread selects its own events; this selection must not outlive the event.
    ::WSAEventSelect(socket, nullptr, 0);
    return connected && !Aborted();
}

} // namespace orlo
