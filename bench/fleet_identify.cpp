// Wall time of `orloctl scan A.B.C.1-255 --identify` over a /24 where 5 simulated sensors answer and
// 250 addresses are silent: the ping sweep, then the identification of the answering addresses. Beside
// it, for information, the identification of all 255 addresses without the sweep (32 at a time, 1 s
// each for a silent one), which is what the sweep saves.
// Usage: fleet_identify [A.B.C]   (default 10.77.7)
// Packets go only to this machine: the benchmark moves into a network namespace of its own, where
// loopback is the only interface, A.B.C.1-5 are loopback's own addresses and the rest of A.B.C.0/24 is
// routed to it (so nobody answers there and nothing leaves). Where no namespace can be made it stops.

#include "cli/Orloctl.h"
#include "core/device/SensorIdentifier.h"
#include "sim/Simulator.h"
#include "tests/support/PrivateNetwork.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSensors = 5;
constexpr int kRepeats = 3;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    unsigned a = 10;
    unsigned b = 77;
    unsigned c = 7;
    if (argc > 1 &&
        (std::sscanf(argv[1], "%u.%u.%u", &a, &b, &c) != 3 || a == 127 || a > 223 || b > 255 || c > 255)) {
        std::fprintf(stderr, "not a prefix A.B.C outside 127/8: %s\n", argv[1]);
        return 2;
    }
    const orlo::test::PrivateNetwork::Prefix prefix{
        static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(c)};
    std::vector<orlo::test::PrivateNetwork::Address> sensors;
    for (int i = 1; i <= kSensors; ++i) {
        sensors.push_back({prefix[0], prefix[1], prefix[2], static_cast<std::uint8_t>(i)});
    }
    std::string why;
    if (!orlo::test::PrivateNetwork::Enter({prefix}, why, sensors)) {
        std::fprintf(stderr, "refused: this runs only in a private network (%s)\n", why.c_str());
        return 2;
    }
    const std::string base = std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) + ".";
    std::vector<std::unique_ptr<orlo::sim::Simulator>> simulators;
    for (int i = 1; i <= kSensors; ++i) {
        orlo::sim::SimConfig config;
        config.tcp = orlo::sim::TcpEndpoint{base + std::to_string(i), 9600};
        config.infoText.emplace();
        const std::string text = "Door " + std::to_string(i);
        std::copy(text.begin(), text.end(), config.infoText->begin());
        simulators.push_back(std::make_unique<orlo::sim::Simulator>(config));
        std::string error;
        if (!simulators.back()->start(error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            return 1;
        }
    }
    std::printf("in a network namespace of its own: %s1-%d are simulators on port 9600, %s%d-255 silent\n",
                base.c_str(), kSensors, base.c_str(), kSensors + 1);

    std::vector<double> seconds;
    for (int run = 0; run < kRepeats; ++run) {
        std::ostringstream out;
        std::ostringstream err;
        const auto start = Clock::now();
        const int status = orlo::cli::RunOrloctl({"scan", base + "1-255", "--identify"}, out, err);
        seconds.push_back(Since(start));
        const std::string lines = out.str();
        const auto named = static_cast<int>(std::count(lines.begin(), lines.end(), '\n'));
        if (status != 0 || named != kSensors || lines.find("Door 5") == std::string::npos) {
            std::fprintf(stderr, "scan --identify ended with %d, %d lines:\n%s%s", status, named,
                         lines.c_str(), err.str().c_str());
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("scan %s1-255 --identify, %d sensors and %d silent: %.3f s (median of %d; %.3f to %.3f)\n",
                base.c_str(), kSensors, 255 - kSensors, seconds[kRepeats / 2], kRepeats, seconds.front(),
                seconds.back());

    std::vector<orlo::IdentifyTarget> all;
    for (int x = 1; x <= 255; ++x) {
        all.push_back({{prefix[0], prefix[1], prefix[2], static_cast<std::uint8_t>(x)}, 9600});
    }
    const auto start = Clock::now();
    const auto identities = orlo::SensorIdentifier().Identify(all);
    const auto found = std::count_if(identities.begin(), identities.end(), [](const orlo::SensorIdentity& i) {
        return i.outcome == orlo::IdentifyOutcome::Sensor;
    });
    std::printf("identify %s1-255 without the sweep (32 in flight, 1 s limit): %.3f s, %ld sensors\n",
                base.c_str(), Since(start), static_cast<long>(found));
    return 0;
}
