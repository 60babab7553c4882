#include "tests/sim/RawClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace orlo::sim::test {

namespace {

speed_t speedConstant(std::uint32_t baud) {
    switch (baud) {
    case 9600:
        return B9600;
    case 38400:
        return B38400;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    default:
        return B57600;
    }
}

} // namespace

std::optional<RawClient> RawClient::connectTcp(std::uint16_t port) {
    UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!fd.valid() || ::connect(fd.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        return std::nullopt;
    }
    return RawClient(std::move(fd));
}

std::optional<RawClient> RawClient::openSerial(const std::string& path, std::uint32_t baud) {
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        return std::nullopt;
    }
    RawClient c(std::move(fd));
    if (!c.setSpeed(baud)) {
        return std::nullopt;
    }
    ::tcflush(c.fd(), TCIOFLUSH);
    return c;
}

bool RawClient::setSpeed(std::uint32_t baud) {
    termios t{};
    if (::tcgetattr(fd(), &t) != 0) {
        return false;
    }
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&t, speedConstant(baud));
    ::cfsetospeed(&t, speedConstant(baud));
    return ::tcsetattr(fd(), TCSANOW, &t) == 0;
}

bool RawClient::sendRaw(const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd(), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == ENOTSOCK) {
            const ssize_t w = ::write(fd(), bytes.data() + done, bytes.size() - done);
            if (w <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(w);
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RawClient::send(std::uint8_t code, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> frame{0xFE, code, static_cast<std::uint8_t>(payload.size() & 0xFF),
                                    static_cast<std::uint8_t>(payload.size() >> 8)};
    frame.insert(frame.end(), payload.begin(), payload.end());
    return sendRaw(frame);
}

std::optional<std::vector<std::uint8_t>> RawClient::readExactly(std::size_t count,
                                                                std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> out(count);
    std::size_t done = 0;
    while (done < count) {
        pollfd p{fd(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) {
            return std::nullopt;
        }
        const ssize_t n = ::read(fd(), out.data() + done, count - done);
        if (n <= 0) {
            return std::nullopt;
        }
        done += static_cast<std::size_t>(n);
    }
    return out;
}

std::optional<RawResponse> RawClient::readResponse(std::chrono::milliseconds timeout) {
    auto header = readExactly(6, timeout);
    if (!header) {
        return std::nullopt;
    }
    RawResponse r;
    r.start = (*header)[0];
    r.status = (*header)[1];
    const std::size_t length =
        (*header)[2] | ((*header)[3] << 8) | ((*header)[4] << 16) | (std::size_t((*header)[5]) << 24);
    auto payload = readExactly(length, timeout);
    if (!payload) {
        return std::nullopt;
    }
    r.payload = std::move(*payload);
    return r;
}

std::optional<RawResponse> RawClient::exchange(std::uint8_t code, const std::vector<std::uint8_t>& payload) {
    if (!send(code, payload)) {
        return std::nullopt;
    }
    return readResponse();
}

bool RawClient::quietFor(std::chrono::milliseconds window) {
    pollfd p{fd(), POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(window.count())) == 0;
}

bool RawClient::closedWithin(std::chrono::milliseconds timeout) {
    pollfd p{fd(), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) {
        return false;
    }
    std::uint8_t byte = 0;
    const ssize_t n = ::read(fd(), &byte, 1);
    // Any data byte means the link was not closed where expected.
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

std::vector<std::uint8_t> le16(std::uint16_t v) {
    return {static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)};
}

std::uint16_t u16At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b.at(at) | (b.at(at + 1) << 8));
}

std::int16_t s16At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int16_t>(u16At(b, at));
}

std::vector<std::uint8_t> rectBytes(std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b) {
    std::vector<std::uint8_t> out;
    for (auto v : {l, t, r, b}) {
        auto e = le16(static_cast<std::uint16_t>(v));
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

std::vector<std::uint8_t> restartPayload(std::uint8_t operation) {
    return {'K', 'E', 'S', 'T', 'R', 'I', 'V', 'A', operation};
}

} // namespace orlo::sim::test
