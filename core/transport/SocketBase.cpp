#include "core/transport/SocketBase.h"

#include <system_error>

namespace orlo {

// The receive thread's life and the callback are the same on every system; SocketBaseSystem*.cpp
// hold the socket calls.

CSocketBase::~CSocketBase() {
    Close();
}

void CSocketBase::SetCallback(DataCallback callback) {
    std::lock_guard lock(callbackMutex_);
    callback_ = std::move(callback);
}

void CSocketBase::SetReceiveSize(int size) {
    if (size > 0) {
        receiveSize_ = size;
    }
}

void CSocketBase::Close() {
    if (receiver_.joinable()) {
        wake_.Signal();
        receiver_.join();
    }
    wake_.Reset();
    socket_.Reset();
    connected_ = false;
}

bool CSocketBase::StartReceiving() {
    if (receiver_.joinable() || !wake_.Create()) {
        return false;
    }
    try {
        receiver_ = std::thread(&CSocketBase::ReceiveLoop, this, socket_.Get(), wake_.Fd(), receiveSize_);
    } catch (const std::system_error&) {
        wake_.Reset();
        return false;
    }
    connected_ = true;
    return true;
}

void CSocketBase::Deliver(const std::uint8_t* bytes, int length) {
    std::lock_guard lock(callbackMutex_);
    if (callback_) {
        callback_(bytes, length);
    }
}

} // namespace orlo
