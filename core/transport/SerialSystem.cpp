#include "core/transport/Serial.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace orlo {

namespace {

bool SpeedFor(std::uint32_t baudRate, speed_t& speed) {
    struct Rate {
        std::uint32_t baud;
        speed_t constant;
    };
    static constexpr std::array<Rate, 8> kRates{{{9600, B9600},
                                                 {19200, B19200},
                                                 {38400, B38400},
                                                 {57600, B57600},
                                                 {115200, B115200},
                                                 {230400, B230400},
                                                 {460800, B460800},
                                                 {921600, B921600}}};
    const auto* rate =
        std::find_if(kRates.begin(), kRates.end(), [&](const Rate& r) { return r.baud == baudRate; });
    if (rate == kRates.end()) {
        return false;
    }
    speed = rate->constant;
    return true;
}

bool ConfigureLine(int fd, speed_t speed) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    // VMIN 1 makes a non-blocking read report "no data" as EAGAIN, so a 0 return means hang-up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0 ||
        ::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return false;
    }
    // tcsetattr succeeds when any change took effect, so the speed is checked on its own.
    termios applied{};
    if (::tcgetattr(fd, &applied) != 0 || ::cfgetospeed(&applied) != speed) {
        return false;
    }
    int lines = TIOCM_RTS | TIOCM_DTR;
    // Pseudo-terminals have no modem lines.
    return ::ioctl(fd, TIOCMBIC, &lines) == 0 || errno == ENOTTY || errno == EINVAL;
}

} // namespace

bool CSerial::Open(const std::string& path, std::uint32_t baudRate) {
    Close();
    lastOpenFailure_ = OpenFailure::Other;
    speed_t speed{};
    if (path.empty() || !SpeedFor(baudRate, speed)) {
        return false;
    }
    // O_NONBLOCK keeps the open from waiting for carrier and the I/O from blocking the owner.
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        lastOpenFailure_ = ClassifyOpenError(errno);
        return false;
    }
    if (!::isatty(fd.Get()) || !ConfigureLine(fd.Get(), speed) || !wake_.Create()) {
        wake_.Reset();
        return false;
    }
    ::ioctl(fd.Get(), TIOCEXCL);
    port_ = std::move(fd);
    return StartReader();
}

void CSerial::ReleasePort() {
    if (port_.Valid()) {
        // A pseudo-terminal keeps the exclusive mark across closes while its master lives.
        ::ioctl(port_.Get(), TIOCNXCL);
    }
    port_.Reset();
    wake_.Reset();
}

std::uint32_t CSerial::Send(const std::uint8_t* bytes, std::uint32_t length) {
    if (!port_.Valid()) {
        return 0;
    }
    {
        // Under the lock, so the reader cannot store a stale byte between the reset and the purge.
        std::lock_guard lock(lock_);
        writeCount_ = 0;
        readIndex_ = 0;
        ::tcflush(port_.Get(), TCIOFLUSH);
    }
    std::uint32_t written = 0;
    while (written < length) {
        const std::size_t piece = std::min<std::size_t>(length - written, kPieceSize);
        const ssize_t n = ::write(port_.Get(), bytes + written, piece);
        if (n > 0) {
            written += static_cast<std::uint32_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN && WaitWritable(piece)) {
            continue;
        } else {
            break;
        }
    }
    return written;
}

bool CSerial::WaitWritable(std::size_t pieceLength) const {
    // One second plus 10 ms per byte: the write bound of the original port settings.
    const int timeoutMs = 1000 + 10 * static_cast<int>(pieceLength);
    pollfd pfd{port_.Get(), POLLOUT, 0};
    int ready = 0;
    do {
        ready = ::poll(&pfd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready == 1 && (pfd.revents & POLLOUT) != 0;
}

void CSerial::ReadLoop() {
    bool lineUp = true;
    for (;;) {
        // After a hang-up the port would report ready forever, so only the wake event is watched.
        std::array<pollfd, 2> fds{{{wake_.Fd(), POLLIN, 0}, {lineUp ? port_.Get() : -1, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if (fds[1].revents != 0) {
            lineUp = ReadPiece();
            if (!lineUp) {
                hungUp_ = true;
                if (bytesArrived_) {
                    bytesArrived_(); // wakes a waiter for bytes that can no longer come
                }
            }
        }
    }
}

bool CSerial::ReadPiece() {
    std::array<std::uint8_t, kPieceSize> piece{};
    std::uint32_t stored = 0;
    {
        std::lock_guard lock(lock_);
        int queued = 0;
        if (::ioctl(port_.Get(), FIONREAD, &queued) != 0 || queued <= 0) {
            queued = static_cast<int>(kPieceSize);
        }
        const ssize_t n = ::read(port_.Get(), piece.data(), std::min<std::size_t>(queued, kPieceSize));
        if (n < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        if (n == 0) {
            return false;
        }
        // A full store drops the rest until the next send resets it.
        stored =
            std::min(static_cast<std::uint32_t>(n), static_cast<std::uint32_t>(store_.size()) - writeCount_);
        std::memcpy(store_.data() + writeCount_, piece.data(), stored);
        writeCount_ += stored;
    }
    if (stored > 0 && bytesArrived_) {
        bytesArrived_();
    }
    return true;
}

} // namespace orlo
