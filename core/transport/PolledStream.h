#pragma once

#include "core/platform/Ipv4Address.h"
#include "core/transport/AbortSignal.h"
#include "core/transport/OsHandles.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orlo {

// A TCP client connection that never blocks and has no thread of its own, so that one thread can serve
// many of them: every call returns at once and the owner waits for all of its streams together with
// WaitForStreams. Move-only; the socket closes with the object.
class PolledStream {
public:
    enum class Connect { Pending, Connected, Refused, Unreachable, Failed };
    enum class Io { Done, WouldBlock, Closed, Reset, Failed };

    PolledStream() = default;
    PolledStream(PolledStream&&) noexcept = default;
    PolledStream& operator=(PolledStream&&) noexcept = default;
    PolledStream(const PolledStream&) = delete;
    PolledStream& operator=(const PolledStream&) = delete;
    ~PolledStream() = default;

    // Opens a socket and starts connecting. Pending: wait until the stream is ready for writing, then
    // ask FinishConnect.
    Connect StartConnect(const Ipv4Address& address, std::uint16_t port);
    // The outcome of a connect that was Pending, once the stream was ready (Pending while it is not).
    Connect FinishConnect();
    // What the system takes of `bytes` now (`count`, Done) or WouldBlock; Closed, Reset, Failed end the
    // connection.
    Io Send(std::span<const std::uint8_t> bytes, std::size_t& count);
    // What has arrived, up to the buffer's size (`count` > 0, Done), or WouldBlock; Closed when the peer
    // ended the connection in order, Reset when it reset it.
    Io Receive(std::span<std::uint8_t> buffer, std::size_t& count);
    void Close() { socket_.Reset(); }
    bool IsOpen() const { return socket_.Valid(); }
    auto Handle() const { return socket_.Get(); }

private:
    SocketHandle socket_;
};

// One stream to wait for: ready for writing (connecting, sending) or for reading.
struct StreamWait {
    const PolledStream* stream = nullptr;
    bool forWrite = false;
    bool ready = false; // set by WaitForStreams: ready, failed or closed (the next call says which)
};

enum class WaitOutcome { Ready, TimedOut, Aborted, Failed };

// Waits until one of the streams is ready, `timeout` has passed or `abort` (when given) is raised.
WaitOutcome WaitForStreams(std::span<StreamWait> waits, std::chrono::milliseconds timeout,
                           const AbortSignal* abort = nullptr);

} // namespace orlo
