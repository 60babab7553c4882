#include "core/platform/IcmpEchoSocket.h"

#include "core/platform/IcmpPacket.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace orlo {

namespace {

// Room for a whole scan's replies (and, on a raw socket, the looped-back requests) between reads.
constexpr int kReceiveBufferBytes = 1 << 20;
// Bounds one drain when errors keep coming; the caller polls and drains again.
constexpr int kMaxSkippedErrors = 16;

std::uint16_t NextIdentifier() {
    static std::atomic<std::uint16_t> counter{0};
    return static_cast<std::uint16_t>(static_cast<unsigned>(::getpid()) * 2654435761U + counter++);
}

std::string ErrnoText(int error) {
    return std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")";
}

} // namespace

IcmpOpenFailure DescribeIcmpOpenFailure(int pingErrno, int rawErrno, unsigned groupId) {
    IcmpOpenFailure failure{IcmpSocketError::Unavailable, "ICMP echo cannot be sent: "};
    if (pingErrno == EACCES) {
        failure.error = IcmpSocketError::PingGroupRange;
        failure.text +=
            "the ping socket was refused because net.ipv4.ping_group_range does not include group " +
            std::to_string(groupId) +
            " (allow it with: sysctl -w net.ipv4.ping_group_range=\"0 2147483647\")";
    } else {
        failure.text += "the ping socket failed: " + ErrnoText(pingErrno);
    }
    failure.text += "; ";
    if (rawErrno == EPERM) {
        if (failure.error == IcmpSocketError::Unavailable) {
            failure.error = IcmpSocketError::RawCapability;
        }
        failure.text += "the raw socket was refused because the process lacks CAP_NET_RAW (grant it with: "
                        "setcap cap_net_raw+ep PROGRAM)";
    } else {
        failure.text += "the raw socket failed: " + ErrnoText(rawErrno);
    }
    return failure;
}

IcmpOpenResult IcmpEchoSocket::Open() {
    IcmpOpenResult result;
    bool raw = false;
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP);
    const int pingErrno = errno;
    if (fd < 0) {
        fd = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP);
        if (fd < 0) {
            result.failure = DescribeIcmpOpenFailure(pingErrno, errno, static_cast<unsigned>(::getegid()));
            return result;
        }
        raw = true;
    }
    // Best effort: a smaller buffer only matters if the reader falls far behind.
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    result.socket.emplace(IcmpEchoSocket(fd, raw, NextIdentifier()));
    return result;
}

IcmpEchoSocket::IcmpEchoSocket(IcmpEchoSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), raw_(other.raw_), identifier_(other.identifier_) {}

IcmpEchoSocket& IcmpEchoSocket::operator=(IcmpEchoSocket&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        raw_ = other.raw_;
        identifier_ = other.identifier_;
    }
    return *this;
}

IcmpEchoSocket::~IcmpEchoSocket() {
    Close();
}

void IcmpEchoSocket::Close() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool IcmpEchoSocket::Send(const Ipv4Address& to, std::uint16_t sequence) {
    const EchoRequest request = BuildEchoRequest(identifier_, sequence);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    std::memcpy(&address.sin_addr, to.data(), to.size());
    ssize_t sent = 0;
    do {
        sent = ::sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&address),
                        sizeof address);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(request.size());
}

std::optional<EchoReply> IcmpEchoSocket::ReceivePending() {
    std::uint8_t packet[2048];
    for (int errors = 0; errors < kMaxSkippedErrors;) {
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t n = ::recvfrom(fd_, packet, sizeof packet, MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return std::nullopt;
            }
            // Ping sockets report each ICMP error (unreachable...) once through recv; skip those.
            errors += errno == EINTR ? 0 : 1;
            continue;
        }
        const auto header = ParseEchoReply(std::span(packet, static_cast<std::size_t>(n)), raw_);
        if (!header || (raw_ && header->identifier != identifier_)) {
            continue;
        }
        EchoReply reply;
        std::memcpy(reply.source.data(), &from.sin_addr, reply.source.size());
        reply.sequence = header->sequence;
        return reply;
    }
    return std::nullopt;
}

void IcmpEchoSocket::WaitReadable(std::chrono::milliseconds timeout) const {
    pollfd pfd{fd_, POLLIN, 0};
    ::poll(&pfd, 1, static_cast<int>(timeout.count()));
}

} // namespace orlo
