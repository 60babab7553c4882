#pragma once

#include "tests/support/FakeConnection.h"
#include "tests/support/PeerIo.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <functional>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orlo::test {

// A sensor on a loopback TCP port that misbehaves on purpose: a header that does not start with 0xFE,
// a length that promises more than comes, a payload trickled in small pieces, an endless flood, or a
// connection reset in the middle of a frame. Requests with other codes than the one it is told to
// misbehave on get the answer of `sensor` (by default a healthy sensor's). One client at a time.
class HostilePeer {
public:
    using Bytes = std::vector<std::uint8_t>;
    enum class Misbehaviour { MalformedHeader, LyingLength, Trickle, Flood, ResetMidFrame };

    struct Plan {
        // `onCode`: the request code to misbehave on, nothing for every request. `announced`: the
        // payload length written into the header. `bytes`: payload bytes really sent (LyingLength,
        // MalformedHeader, ResetMidFrame) or per piece (Trickle, `interval` apart; Flood).
        Plan(Misbehaviour what, std::optional<std::uint8_t> onCode = std::nullopt,
             std::uint32_t announced = 1'024'000, std::size_t bytes = 64 * 1024,
             std::chrono::milliseconds interval = std::chrono::milliseconds(100))
            : what(what), onCode(onCode), announced(announced), bytes(bytes), interval(interval) {}

        Misbehaviour what;
        std::optional<std::uint8_t> onCode;
        std::uint32_t announced;
        std::size_t bytes;
        std::chrono::milliseconds interval;
    };
    using Sensor = std::function<std::optional<Bytes>(std::uint8_t code)>;

    explicit HostilePeer(Plan plan, Sensor sensor = HealthySensor) : plan_(plan), sensor_(std::move(sensor)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(listener_, 4) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
        thread_ = std::thread([this] { AcceptLoop(); });
    }
    HostilePeer(const HostilePeer&) = delete;
    HostilePeer& operator=(const HostilePeer&) = delete;
    ~HostilePeer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }

    std::uint16_t Port() const { return port_; }
    // Payload and header bytes written to clients so far.
    std::uint64_t BytesSent() const { return sent_; }
    int Misbehaved() const { return misbehaved_; }

    // Enough of a sensor for the connect procedure and the single reads: OK with a zeroed payload of
    // the size each command decodes.
    static std::optional<Bytes> HealthySensor(std::uint8_t code) {
        switch (code) {
        case 0x00: {
            Bytes info(19, 0);
            info[0] = 'O';
            return ResponseFrame(0x00, info);
        }
        case 0x02:
        case 0x6C:
        case 0x6E:
            return ResponseFrame(0x00, Bytes(1, 0));
        case 0x06:
        case 0x08:
        case 0x66:
        case 0x79:
            return ResponseFrame(0x00, Bytes(12, 0));
        case 0x0D:
            return ResponseFrame(0x00, Bytes(20, 0x61));
        default:
            return ResponseFrame(0x00);
        }
    }

private:
    void AcceptLoop() {
        while (!stop_) {
            pollfd pfd{listener_, POLLIN, 0};
            if (::poll(&pfd, 1, 20) != 1) {
                continue;
            }
            const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0) {
                continue;
            }
            if (Serve(client)) {
                ::close(client);
            }
        }
    }

    // False when the client was reset (and so closed already).
    bool Serve(int client) {
        for (;;) {
            std::uint8_t header[4];
            if (!ReadExactly(client, header, 4, stop_)) {
                return true;
            }
            Bytes payload(static_cast<std::size_t>(header[2] | header[3] << 8));
            if (header[0] != 0xFE || !ReadExactly(client, payload.data(), payload.size(), stop_)) {
                return true;
            }
            if (plan_.onCode && *plan_.onCode != header[1]) {
                const auto answer = sensor_(header[1]);
                if (answer && !Write(client, *answer)) {
                    return true;
                }
                continue;
            }
            ++misbehaved_;
            if (!Misbehave(client)) {
                return plan_.what != Misbehaviour::ResetMidFrame;
            }
        }
    }

    // False once the client is gone or the frame was ended by a reset.
    bool Misbehave(int client) {
        const Bytes piece(plan_.bytes, 0x5A);
        const Bytes start = ResponseFrame(0x00, piece, plan_.announced);
        switch (plan_.what) {
        case Misbehaviour::MalformedHeader: {
            Bytes frame = ResponseFrame(0x00, piece);
            frame[0] = 0xEF;
            return Write(client, frame);
        }
        case Misbehaviour::LyingLength:
            return Write(client, start);
        case Misbehaviour::Trickle:
            for (std::uint64_t done = 0; done < plan_.announced; done += plan_.bytes) {
                if (!Write(client, done == 0 ? start : piece) || !Pause(plan_.interval)) {
                    return false;
                }
            }
            return true;
        case Misbehaviour::Flood:
            for (bool first = true; Write(client, first ? start : piece); first = false) {
            }
            return false;
        case Misbehaviour::ResetMidFrame: {
            Write(client, start);
            // A zero linger time turns the close into a reset.
            const linger reset{1, 0};
            ::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
            ::close(client);
            return false;
        }
        }
        return false;
    }

    bool Pause(std::chrono::milliseconds interval) const {
        const auto end = std::chrono::steady_clock::now() + interval;
        while (!stop_ && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return !stop_;
    }

    // Waits for room as long as the client lives and the peer is not stopped.
    bool Write(int fd, const Bytes& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            if (stop_) {
                return false;
            }
            pollfd pfd{fd, POLLOUT, 0};
            if (::poll(&pfd, 1, 20) <= 0) {
                continue;
            }
            const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
            sent_ += static_cast<std::uint64_t>(n);
        }
        return true;
    }

    const Plan plan_;
    const Sensor sensor_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> sent_{0};
    std::atomic<int> misbehaved_{0};
    std::thread thread_;
};

} // namespace orlo::test
