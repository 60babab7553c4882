#pragma once

#include "core/platform/IpRangeScanner.h"

#include <chrono>
#include <vector>

namespace orlo::original {

// The address search of the original design: up to 16 threads, each taking a block of the range in
// turn, one ICMP handle, one echo request and a wait of up to 100 ms per address.
std::vector<Ipv4Address>
ThreadedIcmpSearch(const ScanRange& range,
                   std::chrono::milliseconds timeout = std::chrono::milliseconds(100));

} // namespace orlo::original
