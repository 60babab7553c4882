#pragma once

#include "core/transport/OpenFailure.h"
#include "core/transport/OsHandles.h"
#include "core/transport/WakeEvent.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orlo {

// A serial port in raw 8N1 mode whose incoming bytes a reader thread collects in a fixed-size store.
// Open, Close, Send and Receive belong to one (the owner's) thread; the reader shares only the store.
class CSerial {
public:
    static constexpr std::size_t kDefaultStoreSize = 4'320'000;
    static constexpr std::size_t kPieceSize = 1024;

    // bytesArrived runs on the reader thread, without the store lock held, after bytes were stored and
    // once when the line hangs up.
    explicit CSerial(std::function<void()> bytesArrived = {}, std::size_t storeSize = kDefaultStoreSize);
    CSerial(const CSerial&) = delete;
    CSerial& operator=(const CSerial&) = delete;
    ~CSerial();

    // Opens the device path exclusively at one of the supported baud rates; closes any open port first.
    bool Open(const std::string& path, std::uint32_t baudRate);
    void Close();
    bool IsOpen() const { return port_.Valid(); }
    // Why the last Open failed; None after a successful one.
    OpenFailure LastOpenFailure() const { return lastOpenFailure_; }

    // Empties the store and the driver queues, then writes; returns the number of bytes written.
    std::uint32_t Send(const std::uint8_t* bytes, std::uint32_t length);
    // Takes up to count unread bytes from the store; returns the number copied.
    std::uint32_t Receive(std::uint8_t* destination, std::uint32_t count);
    std::uint32_t Unread() const;
    // True once the line has gone (a USB adapter unplugged, the other end of a pseudo-terminal closed)
    // until the next open: nothing more will arrive.
    bool HungUp() const { return hungUp_; }

private:
    void ReadLoop();
    // Moves one piece from the driver into the store; false once the line is gone.
    bool ReadPiece();
    bool WaitWritable(std::size_t pieceLength) const;
    void ReleasePort();
    // With the port open: an empty store and the reader running; false (port released) when the
    // thread cannot start.
    bool StartReader();

    std::function<void()> bytesArrived_;
    PortHandle port_;
    WakeEvent wake_;
    std::thread reader_;
    std::atomic<bool> hungUp_{false};
    OpenFailure lastOpenFailure_ = OpenFailure::None;

    mutable std::mutex lock_;
    std::vector<std::uint8_t> store_;
    std::uint32_t writeCount_ = 0;
    std::uint32_t readIndex_ = 0;
};

} // namespace orlo
