// Wall time of an ICMP address search over a whole /24: loopback (every address answers) and a
// range where none answer; ours (one socket, one pass) and the original design's (16 threads, a
// handle and up to 100 ms per address) in the same run.
// Usage: icmp_scan [A.B.C ...]   (default 127.0.0 and 192.0.2)
// Packets go only to this machine: a range outside 127/8 is scanned inside a network namespace of the
// benchmark's own, where loopback is the only interface and the range is routed to it (so nobody
// answers and nothing leaves). Where no namespace can be made, such a range is refused.

#include "bench/original/ThreadedIcmpSearch.h"
#include "core/platform/IpRangeScanner.h"
#include "tests/support/PrivateNetwork.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Prefix = orlo::test::PrivateNetwork::Prefix;

bool ParsePrefix(const std::string& text, Prefix& prefix) {
    unsigned a = 0;
    unsigned b = 0;
    unsigned c = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u%c", &a, &b, &c, &tail) != 3 || a > 255 || b > 255 || c > 255) {
        return false;
    }
    prefix = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c)};
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> texts(argv + 1, argv + argc);
    if (texts.empty()) {
        texts = {"127.0.0", "192.0.2"};
    }
    std::vector<Prefix> prefixes;
    std::vector<Prefix> outsideLoopback;
    for (const std::string& text : texts) {
        Prefix prefix{};
        if (!ParsePrefix(text, prefix)) {
            std::fprintf(stderr, "not a prefix A.B.C: %s\n", text.c_str());
            return 2;
        }
        prefixes.push_back(prefix);
        if (prefix[0] != 127) {
            outsideLoopback.push_back(prefix);
        }
    }
    if (!outsideLoopback.empty()) {
        std::string why;
        if (!orlo::test::PrivateNetwork::Enter(outsideLoopback, why)) {
            std::fprintf(stderr, "refused: ranges outside 127/8 are scanned only in a private network (%s)\n",
                         why.c_str());
            return 2;
        }
        std::printf("in a network namespace of its own: loopback only, ranges outside 127/8 routed to it\n");
    }
    const orlo::IpRangeScanner scanner;
    for (std::size_t i = 0; i < prefixes.size(); ++i) {
        const Prefix& prefix = prefixes[i];
        int reports = 0;
        const auto start = std::chrono::steady_clock::now();
        const orlo::ScanResult result = scanner.Scan(
            orlo::ScanRange::FromEnd({prefix[0], prefix[1], prefix[2], 1}, 255), [&](int) { ++reports; });
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result.error != orlo::IcmpSocketError::None) {
            std::fprintf(stderr, "%s\n", result.errorText.c_str());
            return 1;
        }
        std::printf("%s.1-255: %.3f s, %zu of 255 answered, %d progress reports\n", texts[i].c_str(), seconds,
                    result.answered.size(), reports);
        const auto originalStart = std::chrono::steady_clock::now();
        const auto answered = orlo::original::ThreadedIcmpSearch(
            orlo::ScanRange::FromEnd({prefix[0], prefix[1], prefix[2], 1}, 255));
        std::printf(
            "%s.1-255 original design (16 threads, 100 ms per address): %.3f s, %zu of 255 answered\n",
            texts[i].c_str(),
            std::chrono::duration<double>(std::chrono::steady_clock::now() - originalStart).count(),
            answered.size());
    }
    return 0;
}
