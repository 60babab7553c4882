// Wall time of an ICMP address search over a whole /24: loopback (every address answers) and a
// range where few or none answer. Usage: icmp_scan [A.B.C ...]   (default 127.0.0 and 192.0.2)

#include "platform/IpRangeScanner.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool ParsePrefix(const std::string& text, std::array<std::uint8_t, 3>& prefix) {
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
    std::vector<std::string> prefixes(argv + 1, argv + argc);
    if (prefixes.empty()) {
        prefixes = {"127.0.0", "192.0.2"};
    }
    const orlo::IpRangeScanner scanner;
    for (const std::string& text : prefixes) {
        std::array<std::uint8_t, 3> prefix{};
        if (!ParsePrefix(text, prefix)) {
            std::fprintf(stderr, "not a prefix A.B.C: %s\n", text.c_str());
            return 2;
        }
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
        std::printf("%s.1-255: %.3f s, %zu of 255 answered, %d progress reports\n", text.c_str(), seconds,
                    result.answered.size(), reports);
    }
    return 0;
}
