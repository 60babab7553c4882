#pragma once

// Winsock 2 before the rest of the system headers.
// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

namespace orlo {

// Owns one kernel handle (port, event) and closes it when replaced or destroyed.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) noexcept
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    HANDLE Get() const noexcept { return handle_; }
    bool Valid() const noexcept { return handle_ != nullptr; }
    HANDLE Release() noexcept {
        HANDLE handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void Reset(HANDLE handle = nullptr) noexcept {
        if (handle_ != nullptr) {
            ::CloseHandle(handle_);
        }
        handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

private:
    HANDLE handle_ = nullptr;
};

// Owns one Winsock socket and closes it when replaced or destroyed.
class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(SOCKET socket) noexcept : socket_(socket) {}
    UniqueSocket(UniqueSocket&& other) noexcept : socket_(other.Release()) {}
    UniqueSocket& operator=(UniqueSocket&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueSocket(const UniqueSocket&) = delete;
    UniqueSocket& operator=(const UniqueSocket&) = delete;
    ~UniqueSocket() { Reset(); }

    SOCKET Get() const noexcept { return socket_; }
    bool Valid() const noexcept { return socket_ != INVALID_SOCKET; }
    SOCKET Release() noexcept {
        const SOCKET socket = socket_;
        socket_ = INVALID_SOCKET;
        return socket;
    }
    void Reset(SOCKET socket = INVALID_SOCKET) noexcept {
        if (socket_ != INVALID_SOCKET) {
            ::closesocket(socket_);
        }
        socket_ = socket;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
};

// Winsock 2.2 for as long as one instance lives; a static instance covers the whole program.
class WinsockSession {
public:
    WinsockSession() { started_ = ::WSAStartup(MAKEWORD(2, 2), &data_) == 0; }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    ~WinsockSession() {
        if (started_) {
            ::WSACleanup();
        }
    }
    bool Started() const { return started_; }

private:
    WSADATA data_{};
    bool started_ = false;
};

// Winsock started once for the program, on first use.
inline bool EnsureWinsock() {
    static const WinsockSession session;
    return session.Started();
}

} // namespace orlo
