#pragma once

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <unistd.h>

namespace orlo::test {

// Reads exactly `count` bytes for a test's stand-in sensor; false when the other end is gone or `stop`
// is set first. EIO (a pseudo-terminal whose slave is closed for a moment) is waited out.
inline bool ReadExactly(int fd, std::uint8_t* destination, std::size_t count, const std::atomic<bool>& stop) {
    std::size_t got = 0;
    while (got < count) {
        if (stop) {
            return false;
        }
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0) {
            continue;
        }
        const ssize_t n = ::read(fd, destination + got, count - got);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR && errno != EIO)) {
            return false;
        }
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        }
    }
    return true;
}

} // namespace orlo::test
