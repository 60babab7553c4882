#pragma once

#include "core/transport/AbortSignal.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace orlo {

// A byte stream to the sensor whose incoming bytes are collected in a receive store by a thread of the
// implementation. Every Send first empties the store, because every exchange starts with a request.
class CConnection {
public:
    CConnection() = default;
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;
    virtual ~CConnection() = default;

    virtual void Close() { connected_ = false; }
    virtual bool IsConnected() const { return connected_; }
    // Returns the number of bytes written.
    virtual std::uint32_t Send(std::uint32_t length, const std::uint8_t* bytes) = 0;
    // Takes up to count bytes from the receive store; returns the number copied.
    virtual std::uint32_t Receive(std::uint32_t count, std::uint8_t* destination) = 0;
    // 0 once at least count unread bytes are in the store, 1 when timeoutMs passes first or the
    // link is aborted. A time-out of -1 never expires.
    virtual int WaitForBytes(int timeoutMs, std::uint32_t count);
    virtual bool HasBytes(std::uint32_t /*count*/) const { return false; }
    // True once the peer has ended the link: nothing more will arrive, so waits end at once.
    virtual bool PeerClosed() const { return false; }

    // Any thread, at any time: ends a wait for bytes or a connect in flight at once, and makes every
    // later one fail at once, until ClearAbort. The link stays open for its owner to close.
    void Abort();
    // The owner's thread, with no wait or connect in flight.
    void ClearAbort();
    bool Aborted() const { return abort_.Raised(); }

protected:
    // Implementations call this after adding bytes to the store (without holding their own lock).
    void NotifyBytesArrived();
    void SetConnected(bool connected) { connected_ = connected; }
    const AbortSignal& AbortLatch() const { return abort_; }

private:
    bool connected_ = false;
    std::mutex waitMutex_;
    std::condition_variable bytesArrived_;
    AbortSignal abort_;
};

} // namespace orlo
