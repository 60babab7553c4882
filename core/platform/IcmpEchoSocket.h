#pragma once

#include "core/platform/Ipv4Address.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace orlo {

// Why no ICMP socket could be opened; the first failure that has a known remedy wins.
enum class IcmpSocketError {
    None,
    PingGroupRange, // the ping socket refused the user's group (net.ipv4.ping_group_range)
    RawCapability,  // the raw socket needs CAP_NET_RAW
    Unavailable,    // any other failure of both sockets
};

struct IcmpOpenFailure {
    IcmpSocketError error = IcmpSocketError::None;
    std::string text;
};

// Names both failures and how to allow ICMP. groupId is the effective group the ping socket checked.
IcmpOpenFailure DescribeIcmpOpenFailure(int pingErrno, int rawErrno, unsigned groupId);

struct EchoReply {
    Ipv4Address source{};
    std::uint16_t sequence = 0;
};

struct IcmpOpenResult;

// One socket that sends ICMP echo requests and picks this socket's echo replies out of the traffic.
// An unprivileged ping socket where the system allows one, else a raw socket.

class IcmpEchoSocket {
public:
    static IcmpOpenResult Open();

    IcmpEchoSocket(IcmpEchoSocket&& other) noexcept;
    IcmpEchoSocket& operator=(IcmpEchoSocket&& other) noexcept;
    IcmpEchoSocket(const IcmpEchoSocket&) = delete;
    IcmpEchoSocket& operator=(const IcmpEchoSocket&) = delete;
    ~IcmpEchoSocket();

    bool IsRaw() const { return raw_; }

    // False when the request could not be sent (no route, not permitted...).
    bool Send(const Ipv4Address& to, std::uint16_t sequence);
    // The next queued echo reply to this socket's requests; nothing once the queue is empty.
    std::optional<EchoReply> ReceivePending();
    // Returns when something is queued or the time is up.
    void WaitReadable(std::chrono::milliseconds timeout) const;

private:
#ifdef _WIN32
    // The ICMP helper's handle and the requests in flight, which must not move while they are.
    struct Requests;
    explicit IcmpEchoSocket(std::unique_ptr<Requests> requests);
    std::unique_ptr<Requests> requests_;
    bool raw_ = false;
#else
    IcmpEchoSocket(int fd, bool raw, std::uint16_t identifier)
        : fd_(fd), raw_(raw), identifier_(identifier) {}
    void Close() noexcept;

    int fd_ = -1;
    bool raw_ = false;
    // Raw sockets see every echo reply of the host; the kernel sets and filters it on ping sockets.
    std::uint16_t identifier_ = 0;
#endif
};

// The socket, or why none could be opened.
struct IcmpOpenResult {
    std::optional<IcmpEchoSocket> socket;
    IcmpOpenFailure failure;
};

} // namespace orlo
