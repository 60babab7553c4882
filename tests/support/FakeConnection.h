#pragma once

#include "core/transport/Connection.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

namespace orlo::test {

// In-memory link: each Send empties the store, records the frame and makes the next scripted
// response available, so the bytes on the wire can be checked exactly.
class FakeConnection : public CConnection {
public:
    struct Wait {
        int timeoutMs;
        std::uint32_t count;
    };

    FakeConnection() { SetConnected(true); }

    using Responder = std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& request)>;

    void QueueResponse(std::vector<std::uint8_t> bytes) { responses_.push_back(std::move(bytes)); }
    // Answers every request the queue does not.
    void SetResponder(Responder responder) { responder_ = std::move(responder); }
    // A send that moves only this many bytes (once).
    void FailNextSend(std::uint32_t bytesSent) { shortSend_ = bytesSent; }

    std::uint32_t Send(std::uint32_t length, const std::uint8_t* bytes) override {
        std::lock_guard lock(mutex_);
        store_.clear();
        readIndex_ = 0;
        if (shortSend_ >= 0) {
            const auto sent = static_cast<std::uint32_t>(shortSend_);
            shortSend_ = -1;
            return sent;
        }
        sent_.emplace_back(bytes, bytes + length);
        if (!responses_.empty()) {
            store_ = std::move(responses_.front());
            responses_.pop_front();
        } else if (responder_) {
            store_ = responder_(sent_.back());
        }
        return length;
    }
    std::uint32_t Receive(std::uint32_t count, std::uint8_t* destination) override {
        std::lock_guard lock(mutex_);
        std::uint32_t copied = 0;
        while (copied < count && readIndex_ < store_.size()) {
            destination[copied++] = store_[readIndex_++];
        }
        return copied;
    }
    int WaitForBytes(int timeoutMs, std::uint32_t count) override {
        waits_.push_back({timeoutMs, count});
        // Nothing else will arrive in memory: answer at once instead of sleeping out the time-out.
        return HasBytes(count) ? 0 : 1;
    }
    bool HasBytes(std::uint32_t count) const override {
        std::lock_guard lock(mutex_);
        return store_.size() - readIndex_ >= count;
    }

    const std::vector<std::vector<std::uint8_t>>& Sent() const { return sent_; }
    const std::vector<Wait>& Waits() const { return waits_; }
    std::size_t Unread() const {
        std::lock_guard lock(mutex_);
        return store_.size() - readIndex_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::uint8_t> store_;
    std::size_t readIndex_ = 0;
    std::deque<std::vector<std::uint8_t>> responses_;
    Responder responder_;
    std::vector<std::vector<std::uint8_t>> sent_;
    std::vector<Wait> waits_;
    long shortSend_ = -1;
};

// A response frame: 0xFE, status, 32-bit little-endian length, payload.
inline std::vector<std::uint8_t> ResponseFrame(std::uint8_t status, const std::vector<std::uint8_t>& payload,
                                               std::uint32_t announcedLength) {
    // Sized once and filled by index: GCC 12 warns falsely about inserting into a six-byte vector.
    std::vector<std::uint8_t> frame(6 + payload.size());
    frame[0] = 0xFE;
    frame[1] = status;
    for (std::size_t i = 0; i < 4; ++i) {
        frame[2 + i] = static_cast<std::uint8_t>(announcedLength >> (8 * i));
    }
    for (std::size_t i = 0; i < payload.size(); ++i) {
        frame[6 + i] = payload[i];
    }
    return frame;
}

inline std::vector<std::uint8_t> ResponseFrame(std::uint8_t status,
                                               const std::vector<std::uint8_t>& payload = {}) {
    return ResponseFrame(status, payload, static_cast<std::uint32_t>(payload.size()));
}

} // namespace orlo::test
