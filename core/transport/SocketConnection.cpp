#include "core/transport/SocketConnection.h"

#include <algorithm>
#include <cstring>

namespace orlo {

CSocketConnection::CSocketConnection(std::size_t storeLimit)
    : storeLimit_(storeLimit), chunkSize_(std::max<std::size_t>(1, std::min(kInitialStoreSize, storeLimit))),
      socket_(&AbortLatch()) {
    chunks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(chunkSize_));
}

CSocketConnection::~CSocketConnection() {
    socket_.Disconnect();
}

bool CSocketConnection::Open(const std::string& host, std::uint16_t port) {
    Close();
    if (Aborted() || socket_.Create(port, host) != 0) {
        return false;
    }
    if (socket_.Connect() != 0) {
        socket_.Disconnect();
        return false;
    }
    peerClosed_ = false;
    SetConnected(true);
    return true;
}

void CSocketConnection::Close() {
    socket_.Disconnect();
    CConnection::Close();
}

std::uint32_t CSocketConnection::Send(std::uint32_t length, const std::uint8_t* bytes) {
    if (peerClosed_) {
        return 0; // the sensor ended the connection: report the link as lost at once
    }
    {
        std::lock_guard lock(lock_);
        writeCount_ = 0;
        readIndex_ = 0;
        chunks_.resize(1);
    }
    // Attached before sending: a quick peer may answer before send() has even returned.
    socket_.SetCallback([this](const std::uint8_t* received, int count) { Store(received, count); });
    const int sent = socket_.Send(bytes, length);
    if (sent < 0 || static_cast<std::uint32_t>(sent) < length) {
        socket_.SetCallback({});
        return static_cast<std::uint32_t>(std::max(sent, 0));
    }
    return static_cast<std::uint32_t>(sent);
}

std::uint32_t CSocketConnection::Receive(std::uint32_t count, std::uint8_t* destination) {
    std::lock_guard lock(lock_);
    const std::size_t copied = std::min<std::size_t>(count, writeCount_ - readIndex_);
    for (std::size_t done = 0; done < copied;) {
        const std::size_t offset = (readIndex_ + done) % chunkSize_;
        const std::size_t piece = std::min(copied - done, chunkSize_ - offset);
        std::memcpy(destination + done, chunks_[(readIndex_ + done) / chunkSize_].get() + offset, piece);
        done += piece;
    }
    readIndex_ += copied;
    return static_cast<std::uint32_t>(copied);
}

bool CSocketConnection::HasBytes(std::uint32_t count) const {
    std::lock_guard lock(lock_);
    return writeCount_ - readIndex_ >= count;
}

void CSocketConnection::Store(const std::uint8_t* bytes, int length) {
    if (length < 0) {
        // The receive thread reports the end of the connection once.
        peerClosed_ = true;
        NotifyBytesArrived();
        return;
    }
    if (length == 0) {
        return;
    }
    {
        std::lock_guard lock(lock_);
        const std::size_t kept =
            std::min<std::size_t>(static_cast<std::size_t>(length), storeLimit_ - writeCount_);
        if (kept == 0) {
            return;
        }
        for (std::size_t done = 0; done < kept;) {
            const std::size_t offset = writeCount_ % chunkSize_;
            if (writeCount_ / chunkSize_ == chunks_.size()) {
                chunks_.push_back(std::make_unique_for_overwrite<std::uint8_t[]>(chunkSize_));
            }
            const std::size_t piece = std::min(kept - done, chunkSize_ - offset);
            std::memcpy(chunks_[writeCount_ / chunkSize_].get() + offset, bytes + done, piece);
            done += piece;
            writeCount_ += piece;
        }
    }
    NotifyBytesArrived();
}

std::size_t CSocketConnection::StoreCapacity() const {
    std::lock_guard lock(lock_);
    return chunks_.size() * chunkSize_;
}

} // namespace orlo
