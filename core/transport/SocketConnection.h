#pragma once

#include "core/transport/ClientSocket.h"
#include "core/transport/Connection.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orlo {

// The link to a sensor over TCP. The receive store starts at 1 MiB and grows to hold a longer response.
class CSocketConnection : public CConnection {
public:
    static constexpr std::size_t kInitialStoreSize = 1'048'576;
    // A peer that never stops sending must not exhaust memory; bytes beyond this are dropped until the
    // next send.
    static constexpr std::size_t kDefaultStoreLimit = 256u * 1'048'576;

    explicit CSocketConnection(std::size_t storeLimit = kDefaultStoreLimit);
    ~CSocketConnection() override;

    // Closes first; the result becomes the connected flag. Fails at once while aborted, and an Abort
    // ends the connect in progress.
    bool Open(const std::string& host, std::uint16_t port);
    void Close() override;
    std::uint32_t Send(std::uint32_t length, const std::uint8_t* bytes) override;
    std::uint32_t Receive(std::uint32_t count, std::uint8_t* destination) override;
    bool HasBytes(std::uint32_t count) const override;
    bool PeerClosed() const override { return peerClosed_; }
    // Bytes the receive store holds room for: at most the limit plus one chunk.
    std::size_t StoreCapacity() const;

private:
    void Store(const std::uint8_t* bytes, int length);

    const std::size_t storeLimit_;
    const std::size_t chunkSize_;
    std::atomic<bool> peerClosed_{false};
    mutable std::mutex lock_;
    // The store grows by whole chunks that never move, so growing it never holds an old and a new
    // copy at once; a send gives back all but the first.
    std::vector<std::unique_ptr<std::uint8_t[]>> chunks_;
    std::size_t writeCount_ = 0;
    std::size_t readIndex_ = 0;
    // Last, so that it is destroyed first: its thread calls Store.
    CClientSocket socket_;
};

} // namespace orlo
