// Decoding one full detection response (3 records, 320 x 240 picture, one motion block) through the
// session's exchange on an in-memory link, as the monitoring loop does every other cycle.
#include "core/device/DetectionCommands.h"
#include "tests/support/FakeConnection.h"

#include <benchmark/benchmark.h>
#include <filesystem>

namespace {

std::vector<std::uint8_t> FullDetectionPayload() {
    std::vector<std::uint8_t> payload{3, 0, 1, 0};
    for (int i = 0; i < 3; ++i) {
        for (std::uint16_t v : {std::uint16_t(100 * i), std::uint16_t(200), std::uint16_t(300 + 100 * i),
                                std::uint16_t(500), std::uint16_t(0x0100 + i)}) {
            payload.push_back(static_cast<std::uint8_t>(v));
            payload.push_back(static_cast<std::uint8_t>(v >> 8));
        }
    }
    std::uint16_t sum = 0;
    for (std::uint8_t b : payload) {
        sum = static_cast<std::uint16_t>(sum + b);
    }
    payload.push_back(static_cast<std::uint8_t>(sum));
    payload.push_back(static_cast<std::uint8_t>(sum >> 8));
    payload.insert(payload.end(), {0x40, 0x01, 0xF0, 0x00});
    payload.insert(payload.end(), 320 * 240, 0x80);
    payload.insert(payload.end(), 4 + 16384, 0x10);
    return payload;
}

void DetectOnceFullResponse(benchmark::State& state) {
    orlo::DeviceSession session(std::filesystem::temp_directory_path());
    orlo::test::FakeConnection link;
    const auto payload = FullDetectionPayload();
    std::vector<std::uint8_t> frame(6 + payload.size());
    frame[0] = 0xFE;
    for (int i = 0; i < 4; ++i) {
        frame[2 + i] = static_cast<std::uint8_t>(payload.size() >> (8 * i));
    }
    std::copy(payload.begin(), payload.end(), frame.begin() + 6);
    link.SetResponder([&](const std::vector<std::uint8_t>&) { return frame; });
    session.Attach(link, orlo::ConnectionType::Lan);
    for (auto _ : state) {
        std::vector<orlo::DetectionResult> results;
        bool indicator = false;
        orlo::CImageData picture;
        std::vector<orlo::CImageData> blocks;
        const auto result = orlo::DetectOnce(session, 1, true, orlo::FUNCTION_MOTION_DETECTION, results,
                                             indicator, picture, blocks);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(picture.Pixels());
    }
    session.Disconnect();
}
BENCHMARK(DetectOnceFullResponse)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
