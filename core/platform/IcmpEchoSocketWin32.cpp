#include "core/platform/IcmpEchoSocket.h"
#include "core/platform/IcmpPacket.h"

// The ICMP header needs the others first, and the callback type declared.
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <winternl.h>
#define PIO_APC_ROUTINE_DEFINED
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

#include <array>
#include <cstring>
#include <deque>
#include <list>
#include <utility>

namespace orlo {

namespace {

// How long the helper waits for one reply; the scanner keeps its own, shorter deadlines.
constexpr DWORD kRequestTimeoutMs = 1000;
constexpr std::size_t kReplyBufferSize = sizeof(ICMP_ECHO_REPLY) + kEchoDataSize + 8 + 64;

} // namespace

// Every request owns its reply buffer until the helper has called back; the callbacks (APCs) run on
// the sending thread while it waits alertably, so nothing here needs a lock.
struct IcmpEchoSocket::Requests {
    struct Pending {
        Requests* owner = nullptr;
        std::list<Pending>::iterator self;
        std::uint16_t sequence = 0;
        std::array<std::uint8_t, kReplyBufferSize> buffer{};
    };

    explicit Requests(HANDLE handle) : icmp(handle) {}
    Requests(const Requests&) = delete;
    Requests& operator=(const Requests&) = delete;
    ~Requests() {
        ::IcmpCloseHandle(icmp);
        // The buffers must outlive the helper's callbacks, which closing the handle hurries along.
        const ULONGLONG deadline = ::GetTickCount64() + kRequestTimeoutMs + 500;
        while (!inFlight.empty() && ::GetTickCount64() < deadline) {
            ::SleepEx(10, TRUE);
        }
    }

    static VOID NTAPI Completed(PVOID context, PIO_STATUS_BLOCK /*status*/, ULONG /*reserved*/) {
        auto* pending = static_cast<Pending*>(context);
        Requests& owner = *pending->owner;
        if (::IcmpParseReplies(pending->buffer.data(), static_cast<DWORD>(pending->buffer.size())) > 0) {
            const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(pending->buffer.data());
            if (reply->Status == IP_SUCCESS) {
                EchoReply echo;
                std::memcpy(echo.source.data(), &reply->Address, echo.source.size());
                echo.sequence = pending->sequence;
                owner.replies.push_back(echo);
            }
        }
        owner.inFlight.erase(pending->self);
    }

    HANDLE icmp;
    std::list<Pending> inFlight;
    std::deque<EchoReply> replies;
};

IcmpOpenResult IcmpEchoSocket::Open() {
    IcmpOpenResult result;
    const HANDLE handle = ::IcmpCreateFile();
    if (handle == INVALID_HANDLE_VALUE) {
        result.failure = {IcmpSocketError::Unavailable,
                          "ICMP echo cannot be sent: the ICMP helper could not be opened (error " +
                              std::to_string(::GetLastError()) + ")"};
        return result;
    }
    result.socket.emplace(IcmpEchoSocket(std::make_unique<Requests>(handle)));
    return result;
}

IcmpEchoSocket::IcmpEchoSocket(std::unique_ptr<Requests> requests) : requests_(std::move(requests)) {}

IcmpEchoSocket::IcmpEchoSocket(IcmpEchoSocket&& other) noexcept
    : requests_(std::move(other.requests_)), raw_(other.raw_) {}

IcmpEchoSocket& IcmpEchoSocket::operator=(IcmpEchoSocket&& other) noexcept {
    if (this != &other) {
        requests_ = std::move(other.requests_);
        raw_ = other.raw_;
    }
    return *this;
}

IcmpEchoSocket::~IcmpEchoSocket() = default;

bool IcmpEchoSocket::Send(const Ipv4Address& to, std::uint16_t sequence) {
    if (!requests_) {
        return false;
    }
    auto& inFlight = requests_->inFlight;
    auto& pending = inFlight.emplace_back();
    pending.owner = requests_.get();
    pending.self = std::prev(inFlight.end());
    pending.sequence = sequence;
    IPAddr address = 0;
    std::memcpy(&address, to.data(), sizeof address);
    std::array<std::uint8_t, kEchoDataSize> data{};
    data.fill(kEchoDataByte);
    // With a callback the call returns at once (ERROR_IO_PENDING); the reply comes as an APC.
    ::IcmpSendEcho2(requests_->icmp, nullptr, &Requests::Completed, &pending, address, data.data(),
                    static_cast<WORD>(data.size()), nullptr, pending.buffer.data(),
                    static_cast<DWORD>(pending.buffer.size()), kRequestTimeoutMs);
    if (::GetLastError() != ERROR_IO_PENDING) {
        inFlight.pop_back();
        return false;
    }
    return true;
}

std::optional<EchoReply> IcmpEchoSocket::ReceivePending() {
    if (!requests_) {
        return std::nullopt;
    }
    // Runs the callbacks of replies that arrived meanwhile.
    ::SleepEx(0, TRUE);
    if (requests_->replies.empty()) {
        return std::nullopt;
    }
    const EchoReply reply = requests_->replies.front();
    requests_->replies.pop_front();
    return reply;
}

void IcmpEchoSocket::WaitReadable(std::chrono::milliseconds timeout) const {
    if (requests_ && requests_->replies.empty()) {
        // An alertable sleep ends early when a callback ran.
        ::SleepEx(static_cast<DWORD>(timeout.count()), TRUE);
    }
}

} // namespace orlo
