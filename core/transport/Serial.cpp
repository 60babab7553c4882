#include "core/transport/Serial.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace orlo {

// The store, the reader thread's life and the reads from the store are the same on every system;
// SerialSystem*.cpp hold the port's system calls.

CSerial::CSerial(std::function<void()> bytesArrived, std::size_t storeSize)
    : bytesArrived_(std::move(bytesArrived)), store_(storeSize) {}

CSerial::~CSerial() {
    Close();
}

void CSerial::Close() {
    if (reader_.joinable()) {
        wake_.Signal();
        reader_.join();
    }
    ReleasePort();
}

std::uint32_t CSerial::Receive(std::uint8_t* destination, std::uint32_t count) {
    std::lock_guard lock(lock_);
    const std::uint32_t copied = std::min(count, writeCount_ - readIndex_);
    if (copied > 0) {
        std::memcpy(destination, store_.data() + readIndex_, copied);
        readIndex_ += copied;
    }
    return copied;
}

std::uint32_t CSerial::Unread() const {
    std::lock_guard lock(lock_);
    return writeCount_ - readIndex_;
}

bool CSerial::StartReader() {
    hungUp_ = false;
    {
        std::lock_guard lock(lock_);
        writeCount_ = 0;
        readIndex_ = 0;
    }
    try {
        reader_ = std::thread(&CSerial::ReadLoop, this);
    } catch (const std::system_error&) {
        ReleasePort();
        return false;
    }
    lastOpenFailure_ = OpenFailure::None;
    return true;
}

} // namespace orlo
