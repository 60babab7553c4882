// How soon DeviceSession::Abort ends what the session is waiting for, beside the time-out that
// would end it otherwise: a detection with a frozen sensor over TCP and over a paced pseudo-terminal,
// a LAN connect that nobody answers, and the wait for a restarted sensor.
// Usage: session_abort [--rounds N]   (N aborts per case, default 20)

#include "core/device/ConnectProcedures.h"
#include "core/device/DetectionCommands.h"
#include "core/device/DeviceSession.h"
#include "core/transport/ClientSocket.h"
#include "sim/Simulator.h"
#include "tests/support/StalledListener.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using orlo::DeviceSession;
using orlo::ResultCode;

struct Case {
    const char* name;
    // Gets the session ready for one round (connected where the case needs it).
    std::function<bool(DeviceSession&)> prepare;
    // What the abort cuts short.
    std::function<ResultCode(DeviceSession&)> wait;
    // What ends the wait without an abort, in milliseconds.
    double timeoutMs;
};

// Milliseconds from each abort to the end of the wait.
std::vector<double> Measure(const Case& c, int rounds) {
    std::vector<double> figures;
    for (int round = 0; round < rounds; ++round) {
        DeviceSession session(std::filesystem::temp_directory_path(),
                              orlo::CommandLog::Switch::OutputLogFile);
        if (!c.prepare(session)) {
            std::fprintf(stderr, "%s: could not get ready\n", c.name);
            return figures;
        }
        ResultCode result = orlo::RC_OK;
        std::thread worker([&] { result = c.wait(session); });
        std::this_thread::sleep_for(150ms);
        const auto abortAt = Clock::now();
        session.Abort();
        worker.join();
        figures.push_back(std::chrono::duration<double, std::milli>(Clock::now() - abortAt).count());
        if (result != orlo::RC_CANCELLED) {
            std::fprintf(stderr, "%s: ended with %d, not cancelled\n", c.name, result);
        }
    }
    return figures;
}

ResultCode Detect(DeviceSession& session) {
    std::vector<orlo::DetectionResult> results;
    bool indicator = false;
    orlo::CImageData picture;
    std::vector<orlo::CImageData> blocks;
    return orlo::DetectOnce(session, 1, false, orlo::FUNCTION_HUMAN_DETECTION, results, indicator, picture,
                            blocks);
}

// A frozen sensor's detection ends after the wait for the answer's header times out.
double DetectionTimeoutMs(std::uint32_t baudRate) {
    return orlo::DetectionTimeoutMs(baudRate, 1);
}

} // namespace

int main(int argc, char** argv) {
    int rounds = 20;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0) {
            rounds = std::max(1, std::atoi(argv[++i]));
        }
    }
    constexpr std::uint32_t kBaud = 460800;
    orlo::sim::SimConfig config;
    config.tcp = orlo::sim::TcpEndpoint{"127.0.0.1", 0};
    config.pty = true;
    config.baud = kBaud;
    std::string error;
    if (!config.faults.add("silent@0x03", error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    orlo::sim::Simulator simulator(config);
    if (!simulator.start(error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    const std::uint16_t port = simulator.tcpPort();
    const std::string pty = simulator.ptyPath();
    const orlo::test::StalledListener stalled;
    if (!stalled.Valid()) {
        std::fprintf(stderr, "no loopback listener could be made to stall connects\n");
        return 1;
    }

    const std::vector<Case> cases = {
        {"detection, frozen sensor, TCP",
         [&](DeviceSession& s) { return orlo::ConnectLan(s, "127.0.0.1", port, 90) == orlo::RC_OK; }, Detect,
         DetectionTimeoutMs(115200)},
        {"detection, frozen sensor, pty at 460800 baud",
         [&](DeviceSession& s) { return orlo::ConnectCom(s, pty, kBaud, 90) == orlo::RC_OK; }, Detect,
         DetectionTimeoutMs(kBaud)},
        {"LAN connect nobody answers", [](DeviceSession&) { return true; },
         [&](DeviceSession& s) { return orlo::ConnectLan(s, "127.0.0.1", stalled.Port(), 90); },
         std::chrono::duration<double, std::milli>(orlo::CClientSocket::kConnectTimeout).count()},
        {"wait for a restarted sensor",
         [&](DeviceSession& s) {
             s.SetLanParameters("127.0.0.1", stalled.Port());
             s.RememberConnectionType(orlo::ConnectionType::Lan);
             return true;
         },
         [](DeviceSession& s) { return orlo::Reconnect(s); }, 150'000.0},
    };
    std::printf("%-46s %6s %9s %9s %9s %12s\n", "case", "rounds", "min ms", "median ms", "max ms",
                "time-out ms");
    for (const Case& c : cases) {
        std::vector<double> figures = Measure(c, rounds);
        if (figures.empty()) {
            continue;
        }
        std::sort(figures.begin(), figures.end());
        std::printf("%-46s %6zu %9.2f %9.2f %9.2f %12.0f\n", c.name, figures.size(), figures.front(),
                    figures[figures.size() / 2], figures.back(), c.timeoutMs);
    }
    return 0;
}
