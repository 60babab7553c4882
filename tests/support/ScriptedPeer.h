#pragma once

#include "tests/support/PeerIo.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orlo::test {

// A scripted sensor: every request frame is handed to the script with the client's line speed
// (0 on TCP); the script's answer, if any, is written back.
class ScriptedPeer {
public:
    struct Request {
        std::uint8_t code;
        std::vector<std::uint8_t> payload;
        std::uint32_t baudRate;
    };
    using Script = std::function<std::optional<std::vector<std::uint8_t>>(const Request&)>;

    ScriptedPeer(const ScriptedPeer&) = delete;
    ScriptedPeer& operator=(const ScriptedPeer&) = delete;
    virtual ~ScriptedPeer() = default;

    std::vector<Request> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

protected:
    explicit ScriptedPeer(Script script) : script_(std::move(script)) {}

    // Serves frames on fd until it closes or stop is set; the script may ask to hang up with
    // an answer of exactly {} followed by HangUp().
    void Serve(int fd, const std::function<std::uint32_t()>& lineSpeed) {
        while (!stop_) {
            std::uint8_t header[4];
            if (!ReadExactly(fd, header, 1, stop_)) {
                return;
            }
            if (header[0] != 0xFE || !ReadExactly(fd, header + 1, 3, stop_)) {
                continue;
            }
            Request request{header[1], std::vector<std::uint8_t>(header[2] | header[3] << 8), 0};
            if (!ReadExactly(fd, request.payload.data(), request.payload.size(), stop_)) {
                return;
            }
            request.baudRate = lineSpeed();
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
            }
            const auto answer = script_(request);
            if (answer) {
                WriteAll(fd, *answer);
            }
            if (hangUp_.exchange(false)) {
                return;
            }
        }
    }

public:
    // Ends the current client connection after the answer being written.
    void HangUp() { hangUp_ = true; }

protected:
    std::atomic<bool> stop_{false};

private:
    static void WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
        std::size_t written = 0;
        while (written < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
            if (n <= 0) {
                return;
            }
            written += static_cast<std::size_t>(n);
        }
    }

    Script script_;
    std::atomic<bool> hangUp_{false};
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
};

// On the master side of a pseudo-terminal; the client opens Path().
class PtyPeer : public ScriptedPeer {
public:
    explicit PtyPeer(Script script) : ScriptedPeer(std::move(script)) {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            return;
        }
        // The peer's own slave handle keeps the master from seeing hang-ups while the client reopens.
        termios tio{};
        ::tcgetattr(slave_, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slave_, TCSANOW, &tio);
        path_ = name;
        thread_ = std::thread([this] {
            while (!stop_) {
                Serve(master_, [this] { return LineSpeed(); });
            }
        });
    }
    ~PtyPeer() override {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        ::close(master_);
        ::close(slave_);
    }
    const std::string& Path() const { return path_; }

private:
    std::uint32_t LineSpeed() const {
        termios tio{};
        ::tcgetattr(slave_, &tio);
        switch (::cfgetospeed(&tio)) {
        case B9600:
            return 9600;
        case B38400:
            return 38400;
        case B115200:
            return 115200;
        case B230400:
            return 230400;
        case B460800:
            return 460800;
        default:
            return 0;
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::thread thread_;
};

// A TCP listener on 127.0.0.1 (free port) serving one client after the other.
class TcpPeer : public ScriptedPeer {
public:
    explicit TcpPeer(Script script) : ScriptedPeer(std::move(script)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            while (!stop_ && !closing_) {
                pollfd pfd{listener_, POLLIN, 0};
                if (::poll(&pfd, 1, 20) <= 0) {
                    continue;
                }
                const int client = ::accept(listener_, nullptr, nullptr);
                if (client < 0) {
                    continue;
                }
                accepted_++;
                Serve(client, [] { return 0u; });
                ::close(client);
            }
            ::close(listener_);
            listener_ = -1;
        });
    }
    ~TcpPeer() override {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    std::uint16_t Port() const { return port_; }
    // The sensor goes away for good after the current client: connects are refused from then on.
    void CloseAfterThisClient() { closing_ = true; }
    int Accepted() const { return accepted_; }

private:
    int listener_ = -1;
    std::atomic<bool> closing_{false};
    std::uint16_t port_ = 0;
    std::atomic<int> accepted_{0};
    std::thread thread_;
};

} // namespace orlo::test
