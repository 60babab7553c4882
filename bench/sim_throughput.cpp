// Prints the simulator's response rate for full detection responses (320 x 240 picture and
// motion block) over TCP loopback without pacing, and the wire time of one such response on the
// pseudo-terminal at 460800 baud against 10 bits per byte.
#include "sim/Simulator.h"
#include "sim/UniqueFd.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using orlo::sim::UniqueFd;
using Clock = std::chrono::steady_clock;

const std::vector<std::uint8_t> kFullDetection{0xFE, 0x03, 0x03, 0x00, 0x01, 0x40, 0x21};

bool writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, std::uint8_t* out, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) {
            return false;
        }
        const ssize_t n = ::read(fd, out + done, size - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// One request and its whole response; returns the response size or 0.
std::size_t exchange(int fd, std::vector<std::uint8_t>& buffer) {
    std::uint8_t header[6];
    if (!writeAll(fd, kFullDetection) || !readAll(fd, header, sizeof header) || header[1] != 0) {
        return 0;
    }
    const std::size_t length =
        header[2] | (header[3] << 8) | (header[4] << 16) | (std::size_t(header[5]) << 24);
    buffer.resize(length);
    return readAll(fd, buffer.data(), length) ? 6 + length : 0;
}

int tcpFigures() {
    orlo::sim::SimConfig config;
    // Filled in place: assigning a whole endpoint trips a false uninitialised warning of GCC 12 here.
    config.tcp.emplace();
    config.tcp->host = "127.0.0.1";
    config.tcp->port = 0;
    orlo::sim::Simulator sim(config);
    std::string error;
    if (!sim.start(error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(sim.tcpPort());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int on = 1;
    ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        std::perror("connect");
        return 1;
    }
    std::vector<std::uint8_t> buffer;
    for (int i = 0; i < 20; ++i) { // warm-up
        exchange(fd.get(), buffer);
    }
    std::size_t responses = 0, bytes = 0;
    const auto start = Clock::now();
    while (Clock::now() - start < std::chrono::seconds(3)) {
        const std::size_t n = exchange(fd.get(), buffer);
        if (n == 0) {
            std::fprintf(stderr, "exchange failed\n");
            return 1;
        }
        ++responses;
        bytes += n;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("TCP loopback, unthrottled, flags 0x4001 image code 0x21 (%zu bytes per response):\n",
                bytes / responses);
    std::printf("  %.0f responses/s, %.1f MB/s, %.3f ms per exchange\n", responses / seconds,
                bytes / seconds / 1e6, seconds * 1000 / responses);
    return 0;
}

int ptyFigures() {
    constexpr std::uint32_t kBaud = 460800;
    orlo::sim::SimConfig config;
    config.pty = true;
    config.baud = kBaud;
    orlo::sim::Simulator sim(config);
    std::string error;
    if (!sim.start(error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    UniqueFd fd(::open(sim.ptyPath().c_str(), O_RDWR | O_NOCTTY));
    termios t{};
    ::tcgetattr(fd.get(), &t);
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, B460800);
    ::cfsetospeed(&t, B460800);
    ::tcsetattr(fd.get(), TCSANOW, &t);
    std::vector<std::uint8_t> buffer;
    std::printf("pty at %u baud, paced, flags 0x4001 image code 0x21:\n", kBaud);
    for (int i = 0; i < 3; ++i) {
        const auto start = Clock::now();
        const std::size_t n = exchange(fd.get(), buffer);
        const double measured = std::chrono::duration<double>(Clock::now() - start).count();
        if (n == 0) {
            std::fprintf(stderr, "exchange failed\n");
            return 1;
        }
        const double theory = n * 10.0 / kBaud;
        std::printf("  %zu bytes: measured %.3f s, theoretical %.3f s (%+.2f %%)\n", n, measured, theory,
                    (measured / theory - 1) * 100);
    }
    return 0;
}

} // namespace

int main() {
    return tcpFigures() != 0 || ptyFigures() != 0 ? 1 : 0;
}
