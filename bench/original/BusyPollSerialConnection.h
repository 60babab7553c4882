#pragma once

#include "core/transport/Connection.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orlo::original {

// A serial link as the original design reads it: a reader thread that asks the driver how many bytes
// are queued and asks again at once when none are (no pause), moving at most 1,024 bytes a read into
// a 4,320,000-byte store; the receive wait polls every 1 ms. Raw 8N1 like ours.
class BusyPollSerialConnection final : public CConnection {
public:
    BusyPollSerialConnection();
    ~BusyPollSerialConnection() override;

    bool Open(const std::string& path, std::uint32_t baudRate);
    void Close() override;
    std::uint32_t Send(std::uint32_t length, const std::uint8_t* bytes) override;
    std::uint32_t Receive(std::uint32_t count, std::uint8_t* destination) override;
    int WaitForBytes(int timeoutMs, std::uint32_t count) override;
    bool HasBytes(std::uint32_t count) const override;

private:
    void ReadLoop();

    int fd_ = -1;
    std::atomic<bool> stop_{true};
    std::thread reader_;
    mutable std::mutex lock_;
    std::vector<std::uint8_t> store_;
    std::uint32_t writeCount_ = 0;
    std::uint32_t readIndex_ = 0;
};

} // namespace orlo::original
