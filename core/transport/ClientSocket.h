#pragma once

#include "core/transport/AbortSignal.h"
#include "core/transport/SocketBase.h"

#include <chrono>

namespace orlo {

// The client end of a TCP connection to the sensor.
class CClientSocket : public CSocketBase {
public:
    // About what the Windows stack allows a connect before giving up.
    static constexpr std::chrono::seconds kConnectTimeout{20};

    // A raised `abort` (which must outlive the socket) ends a connect in progress at once.
    explicit CClientSocket(const AbortSignal* abort = nullptr) : abort_(abort) {}
    ~CClientSocket() override = default;

    // Host text: dotted IPv4, else a name resolved to its first IPv4 address.
    int Create(std::uint16_t port, const std::string& host) override;
    int Disconnect() override;
    int Connect() override;

private:
    // Connects within kConnectTimeout unless aborted first (system calls of each system).
    bool ConnectBounded();
    bool Aborted() const { return abort_ != nullptr && abort_->Raised(); }

    const AbortSignal* abort_;
};

} // namespace orlo
