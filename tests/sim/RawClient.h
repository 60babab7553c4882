#pragma once

#include "sim/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlo::sim::test {

struct RawResponse {
    std::uint8_t start = 0;
    std::uint8_t status = 0;
    std::vector<std::uint8_t> payload;
};

// A deliberately small client that speaks the frame format from the wire tables with raw
// reads and writes, independent of the project's device library.
class RawClient {
public:
    static std::optional<RawClient> connectTcp(std::uint16_t port);
    // Opens the pty slave as a serial line: raw 8N1 at `baud`.
    static std::optional<RawClient> openSerial(const std::string& path, std::uint32_t baud);

    bool setSpeed(std::uint32_t baud);

    bool sendRaw(const std::vector<std::uint8_t>& bytes);
    bool send(std::uint8_t code, const std::vector<std::uint8_t>& payload = {});

    // Reads exactly `count` bytes or fails after `timeout` without progress.
    std::optional<std::vector<std::uint8_t>> readExactly(std::size_t count,
                                                         std::chrono::milliseconds timeout);
    std::optional<RawResponse>
    readResponse(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    std::optional<RawResponse> exchange(std::uint8_t code, const std::vector<std::uint8_t>& payload = {});

    // True when nothing at all arrives within `window` (silence checks).
    bool quietFor(std::chrono::milliseconds window);
    // True when the peer closed the connection (TCP) within `timeout`.
    bool closedWithin(std::chrono::milliseconds timeout);

    int fd() const { return fd_.get(); }

private:
    explicit RawClient(UniqueFd fd) : fd_(std::move(fd)) {}
    UniqueFd fd_;
};

std::vector<std::uint8_t> le16(std::uint16_t v);
std::uint16_t u16At(const std::vector<std::uint8_t>& b, std::size_t at);
std::int16_t s16At(const std::vector<std::uint8_t>& b, std::size_t at);
std::vector<std::uint8_t> rectBytes(std::int16_t l, std::int16_t t, std::int16_t r, std::int16_t b);
std::vector<std::uint8_t> restartPayload(std::uint8_t operation);

} // namespace orlo::sim::test
