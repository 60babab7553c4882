#include "bench/original/BusyPollSerialConnection.h"

#include "bench/original/PollingWait.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace orlo::original {

namespace {

constexpr std::size_t StoreSize = 4'320'000;
constexpr std::uint32_t PieceSize = 1024;

speed_t Speed(std::uint32_t baudRate) {
    switch (baudRate) {
    case 9600:
        return B9600;
    case 38400:
        return B38400;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    default:
        return B115200;
    }
}

} // namespace

BusyPollSerialConnection::BusyPollSerialConnection() : store_(StoreSize) {}

BusyPollSerialConnection::~BusyPollSerialConnection() {
    Close();
}

bool BusyPollSerialConnection::Open(const std::string& path, std::uint32_t baudRate) {
    Close();
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        return false;
    }
    termios tio{};
    ::cfmakeraw(&tio);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    if (::cfsetispeed(&tio, Speed(baudRate)) != 0 || ::cfsetospeed(&tio, Speed(baudRate)) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        Close();
        return false;
    }
    stop_ = false;
    reader_ = std::thread(&BusyPollSerialConnection::ReadLoop, this);
    SetConnected(true);
    return true;
}

void BusyPollSerialConnection::Close() {
    stop_ = true;
    if (reader_.joinable()) {
        reader_.join();
    }
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    CConnection::Close();
}

void BusyPollSerialConnection::ReadLoop() {
    while (!stop_) {
        int queued = 0;
        if (::ioctl(fd_, FIONREAD, &queued) != 0 || queued <= 0) {
            continue; // asked again at once
        }
        std::lock_guard lock(lock_);
        const std::size_t room = store_.size() - writeCount_;
        const std::size_t want = std::min({static_cast<std::size_t>(queued), std::size_t{PieceSize}, room});
        const ssize_t n = want == 0 ? 0 : ::read(fd_, store_.data() + writeCount_, want);
        if (n > 0) {
            writeCount_ += static_cast<std::uint32_t>(n);
        }
    }
}

std::uint32_t BusyPollSerialConnection::Send(std::uint32_t length, const std::uint8_t* bytes) {
    if (fd_ < 0) {
        return 0;
    }
    {
        std::lock_guard lock(lock_);
        writeCount_ = 0;
        readIndex_ = 0;
        ::tcflush(fd_, TCIOFLUSH);
    }
    std::uint32_t written = 0;
    while (written < length) {
        const ssize_t n = ::write(fd_, bytes + written, std::min(length - written, PieceSize));
        if (n > 0) {
            written += static_cast<std::uint32_t>(n);
        } else if (n < 0 && errno != EAGAIN) {
            break;
        }
    }
    return written;
}

std::uint32_t BusyPollSerialConnection::Receive(std::uint32_t count, std::uint8_t* destination) {
    std::lock_guard lock(lock_);
    const std::uint32_t copied = std::min(count, writeCount_ - readIndex_);
    std::copy_n(store_.data() + readIndex_, copied, destination);
    readIndex_ += copied;
    return copied;
}

int BusyPollSerialConnection::WaitForBytes(int timeoutMs, std::uint32_t count) {
    return PollingWaitForBytes(*this, timeoutMs, count);
}

bool BusyPollSerialConnection::HasBytes(std::uint32_t count) const {
    std::lock_guard lock(lock_);
    return writeCount_ - readIndex_ >= count;
}

} // namespace orlo::original
