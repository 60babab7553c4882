#include "bench/original/ThreadedIcmpSearch.h"

#include <algorithm>
#include <thread>

namespace orlo::original {

namespace {

using Clock = std::chrono::steady_clock;

// One echo request on a handle of its own; true when the address answered in time.
bool Echo(const Ipv4Address& address, std::uint16_t sequence, std::chrono::milliseconds timeout) {
    auto opened = IcmpEchoSocket::Open();
    if (!opened.socket || !opened.socket->Send(address, sequence)) {
        return false;
    }
    const Clock::time_point deadline = Clock::now() + timeout;
    for (Clock::time_point now = Clock::now(); now < deadline; now = Clock::now()) {
        opened.socket->WaitReadable(std::chrono::ceil<std::chrono::milliseconds>(deadline - now));
        while (const auto reply = opened.socket->ReceivePending()) {
            if (reply->source == address && reply->sequence == sequence) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

std::vector<Ipv4Address> ThreadedIcmpSearch(const ScanRange& range, std::chrono::milliseconds timeout) {
    const int n = range.Count();
    if (n == 0) {
        return {};
    }
    const int threadCount = std::min(n, 16);
    const int block = n / threadCount + (n % threadCount != 0 ? 1 : 0);
    std::vector<std::vector<Ipv4Address>> found(static_cast<std::size_t>(threadCount));
    std::vector<std::thread> threads;
    for (int i = 0; i < threadCount; ++i) {
        const int first = range.First() + i * block;
        const int end = std::min(first + block, range.Last() + 1);
        threads.emplace_back([&range, &found, i, first, end, timeout] {
            for (int x = first; x < end; ++x) {
                if (Echo(range.At(x), static_cast<std::uint16_t>(x), timeout)) {
                    found[static_cast<std::size_t>(i)].push_back(range.At(x));
                }
            }
        });
    }
    std::vector<Ipv4Address> answered;
    for (std::size_t i = 0; i < threads.size(); ++i) {
        threads[i].join();
        answered.insert(answered.end(), found[i].begin(), found[i].end());
    }
    return answered;
}

} // namespace orlo::original
