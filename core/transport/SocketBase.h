#pragma once

#include "core/transport/OsHandles.h"
#include "core/transport/WakeEvent.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace orlo {

// A TCP socket whose receive thread hands every incoming piece to a callback.
// Create, Connect, Send, Close belong to the owner's thread; the callback runs on the receive thread.
class CSocketBase {
public:
    // Called with (bytes, count) for each piece, or (nullptr, -1) once when the connection failed or the
    // peer closed it; nothing is received after that.
    using DataCallback = std::function<void(const std::uint8_t* bytes, int length)>;
    static constexpr int kDefaultReceiveSize = 2048;

    CSocketBase() = default;
    CSocketBase(const CSocketBase&) = delete;
    CSocketBase& operator=(const CSocketBase&) = delete;
    virtual ~CSocketBase();

    // 0 on success, -1 when the socket cannot be made or the host has no IPv4 address.
    virtual int Create(std::uint16_t port, const std::string& host) = 0;
    virtual int Disconnect() = 0;
    // 0 once connected, -1 otherwise.
    virtual int Connect() = 0;

    // One send on the connected socket; returns what it returns (-1 when not connected).
    int Send(const std::uint8_t* bytes, std::uint32_t length);
    // Once this returns, the previous callback is not running and will not be called again.
    void SetCallback(DataCallback callback);
    // Read size of the receive thread; takes effect at the next connection.
    void SetReceiveSize(int size);
    bool IsConnected() const { return connected_; }
    // 1 on time-out, 0 when the connected socket is readable, -1 on error or when not connected.
    int WaitReadable(int microseconds) const;
    // Closes any previous socket, then makes a new IPv4 stream socket for the port; 0 or -1.
    int CreateSocket(std::uint16_t port);
    // Stops the receive thread, then closes the socket.
    void Close();

protected:
    auto SocketFd() const { return socket_.Get(); }
    bool HasSocket() const { return socket_.Valid(); }
    sockaddr_in& Address() { return address_; }
    // Called by the subclass once its socket is connected; starts the receive thread.
    bool StartReceiving();

private:
#ifdef _WIN32
    void ReceiveLoop(SOCKET socket, HANDLE wake, int receiveSize);
#else
    void ReceiveLoop(int socketFd, int wakeFd, int receiveSize);
#endif
    void Deliver(const std::uint8_t* bytes, int length);

    SocketHandle socket_;
    sockaddr_in address_{};
    std::atomic<bool> connected_{false};
    int receiveSize_ = kDefaultReceiveSize;
    WakeEvent wake_;
    std::thread receiver_;

    std::mutex callbackMutex_;
    DataCallback callback_;
};

} // namespace orlo
