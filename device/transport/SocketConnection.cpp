#include "device/transport/SocketConnection.h"

#include <algorithm>
#include <cstring>

namespace orlo {

CSocketConnection::CSocketConnection(std::size_t storeLimit)
    : storeLimit_(storeLimit), store_(std::min(kInitialStoreSize, storeLimit)) {}

CSocketConnection::~CSocketConnection() {
    socket_.Disconnect();
}

bool CSocketConnection::Open(const std::string& host, std::uint16_t port) {
    Close();
    if (socket_.Create(port, host) != 0) {
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
    if (copied > 0) {
        std::memcpy(destination, store_.data() + readIndex_, copied);
        readIndex_ += copied;
    }
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
        // The vector grows its capacity geometrically, so a long response is not copied once per piece.
        if (writeCount_ + kept > store_.size()) {
            store_.resize(writeCount_ + kept);
        }
        std::memcpy(store_.data() + writeCount_, bytes, kept);
        writeCount_ += kept;
    }
    NotifyBytesArrived();
}

} // namespace orlo
