#pragma once

#include "core/platform/IcmpEchoSocket.h"
#include "core/platform/Ipv4Address.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace orlo {

// The addresses a.b.c.x for x from First() to Last() (0 to 255); empty when Last() < First().
class ScanRange {
public:
    // From the first address a.b.c.d and the end value e as the user gives them. Only the fourth byte
    // varies, so e above 255 is limited to 255; e below d is an empty range (nothing is scanned).
    static ScanRange FromEnd(const Ipv4Address& firstAddress, int end);

    const std::array<std::uint8_t, 3>& Prefix() const { return prefix_; }
    int First() const { return first_; }
    int Last() const { return last_; }
    int Count() const { return last_ < first_ ? 0 : last_ - first_ + 1; }
    Ipv4Address At(int x) const { return {prefix_[0], prefix_[1], prefix_[2], static_cast<std::uint8_t>(x)}; }
    // Whether the addresses can belong to hosts, so that a search may send to them: none of
    // 0.0.0.0/8 ("this network"), multicast 224.0.0.0/4 or the reserved 240.0.0.0/4 with the broadcast
    // 255.255.255.255. Loopback can. The addresses of a range share their first byte.
    bool IsHostRange() const { return prefix_[0] != 0 && prefix_[0] < kFirstMulticastByte; }

private:
    static constexpr int kFirstMulticastByte = 224;

    ScanRange(const std::array<std::uint8_t, 3>& prefix, int first, int last)
        : prefix_(prefix), first_(first), last_(last) {}

    std::array<std::uint8_t, 3> prefix_;
    int first_;
    int last_;
};

struct ScanResult {
    IcmpSocketError error = IcmpSocketError::None;
    std::string errorText;
    // Set when the scan was stopped early; `answered` then holds what had answered so far.
    bool cancelled = false;
    std::vector<Ipv4Address> answered; // ascending
};

// Sends one echo request to every address of a range and lists those that answered within the
// reply time-out of their own request. One socket carries all requests, so a silent range costs one
// time-out rather than one per address. Holds no state between scans: any thread may call Scan.
class IpRangeScanner {
public:
    static constexpr std::chrono::milliseconds kReplyTimeout{100};

    explicit IpRangeScanner(std::chrono::milliseconds replyTimeout = kReplyTimeout)
        : replyTimeout_(replyTimeout) {}

    // progress gets done / n x 100 (integer percent) whenever it changes, ending at 100 unless
    // cancelled; an empty range opens no socket and reports nothing.
    ScanResult Scan(const ScanRange& range, const std::function<void(int percent)>& progress,
                    const std::atomic<bool>* cancel = nullptr) const;

private:
    std::chrono::milliseconds replyTimeout_;
};

} // namespace orlo
