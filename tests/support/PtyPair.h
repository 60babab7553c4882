#pragma once

#include "core/platform/UniqueFd.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <pty.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace orlo::test {

// A pseudo-terminal standing in for the sensor: the connection opens the slave path, the test plays the
// sensor on the master. The test keeps a slave descriptor of its own so the pair lives across reopens.
class PtyPair {
public:
    PtyPair() {
        int master = -1;
        int slave = -1;
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0) {
            master_.Reset(master);
            slave_.Reset(slave);
            slavePath_ = ::ttyname(slave);
        }
    }

    bool Valid() const { return master_.Valid() && !slavePath_.empty(); }
    int Master() const { return master_.Get(); }
    int Slave() const { return slave_.Get(); }
    const std::string& SlavePath() const { return slavePath_; }
    void CloseMaster() { master_.Reset(); }

    bool Write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_.Get(), bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Reads exactly count bytes from the master, or fewer when the time-out passes first.
    std::vector<std::uint8_t> Read(std::size_t count, std::chrono::milliseconds timeout) const {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (bytes.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd pfd{master_.Get(), POLLIN, 0};
            if (left.count() <= 0 || ::poll(&pfd, 1, static_cast<int>(left.count())) != 1) {
                break;
            }
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(master_.Get(), buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n <= 0) {
                break;
            }
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
        return bytes;
    }

private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string slavePath_;
};

inline std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

inline std::vector<std::uint8_t> Pattern(std::size_t length, unsigned seed = 0) {
    std::vector<std::uint8_t> bytes(length);
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251 + seed) & 0xFF);
    }
    return bytes;
}

} // namespace orlo::test
