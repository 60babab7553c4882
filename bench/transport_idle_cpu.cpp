// CPU cost of a serial link on a pseudo-terminal: idle, then exchanging full-size picture responses.
// Usage: transport_idle_cpu [--seconds N]   (N seconds per phase, default 10)

#include "core/platform/UniqueFd.h"
#include "core/transport/SerialConnection.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <pty.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kRequestSize = 4;
constexpr std::uint32_t kResponseSize = 76'816;

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Answers every request on the master with one response, until told to stop.
void Sensor(int master, const std::atomic<bool>& stop) {
    const std::vector<std::uint8_t> response(kResponseSize, 0x5A);
    std::uint32_t requestBytes = 0;
    while (!stop) {
        pollfd pfd{master, POLLIN, 0};
        if (poll(&pfd, 1, 100) != 1) {
            continue;
        }
        std::uint8_t buffer[64];
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) {
            return;
        }
        requestBytes += static_cast<std::uint32_t>(n);
        for (; requestBytes >= kRequestSize; requestBytes -= kRequestSize) {
            for (std::size_t done = 0; done < response.size();) {
                const ssize_t written = write(master, response.data() + done, response.size() - done);
                if (written <= 0) {
                    return;
                }
                done += static_cast<std::size_t>(written);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 10.0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: %s [--seconds N]\n", argv[0]);
            return 2;
        }
    }
    if (seconds <= 0) {
        std::fprintf(stderr, "--seconds must be positive\n");
        return 2;
    }

    int masterFd = -1;
    int slaveFd = -1;
    if (openpty(&masterFd, &slaveFd, nullptr, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    const orlo::UniqueFd master(masterFd);
    const orlo::UniqueFd slave(slaveFd);
    const std::string slavePath = ttyname(slave.Get());

    orlo::CSerialConnection connection;
    if (!connection.Open(slavePath, 115200)) {
        std::fprintf(stderr, "cannot open %s\n", slavePath.c_str());
        return 1;
    }

    double cpuStart = ProcessCpuSeconds();
    auto wallStart = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double idleCpu = (ProcessCpuSeconds() - cpuStart) / SecondsSince(wallStart) * 100.0;
    std::printf("idle:     %.3f %% of one core over %.1f s (target < 1 %%)\n", idleCpu, seconds);

    std::atomic<bool> stop{false};
    std::thread sensor(Sensor, master.Get(), std::cref(stop));
    const std::uint8_t request[kRequestSize] = {0x01, 0x02, 0x03, 0x04};
    std::vector<std::uint8_t> response(kResponseSize);
    long exchanges = 0;
    long failures = 0;
    cpuStart = ProcessCpuSeconds();
    wallStart = Clock::now();
    while (SecondsSince(wallStart) < seconds) {
        if (connection.Send(kRequestSize, request) != kRequestSize ||
            connection.WaitForBytes(5000, kResponseSize) != 0 ||
            connection.Receive(kResponseSize, response.data()) != kResponseSize) {
            ++failures;
            continue;
        }
        ++exchanges;
    }
    const double wall = SecondsSince(wallStart);
    const double busyCpu = (ProcessCpuSeconds() - cpuStart) / wall * 100.0;
    stop = true;
    sensor.join();
    connection.Close();

    std::printf("exchange: %.1f %% of one core over %.1f s (process, sensor thread included)\n", busyCpu,
                wall);
    std::printf("          %.2f ms CPU per exchange\n",
                exchanges > 0 ? busyCpu / 100.0 * wall / exchanges * 1e3 : 0.0);
    std::printf("          %ld exchanges of %u bytes, %.1f exchanges/s, %.2f MB/s, %ld failed\n", exchanges,
                kResponseSize, exchanges / wall, exchanges * static_cast<double>(kResponseSize) / wall / 1e6,
                failures);
    return failures == 0 ? 0 : 1;
}
