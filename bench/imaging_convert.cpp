// Cost of turning one device picture (320 x 240 grey) into the 24-bit picture the painter draws,
// once per acquisition cycle; and of the following conversion into display layout.
#include "core/imaging/ImgDataConvert.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <vector>

namespace {

orlo::CImageData DevicePicture() {
    std::vector<std::uint8_t> buffer(320 * 240);
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = static_cast<std::uint8_t>(i * 7);
    }
    orlo::CImageData grey;
    if (grey.ImageData(320, 240, orlo::ImageFormat::Grey8, true, buffer) != orlo::ImageStatus::Ok) {
        std::abort();
    }
    return grey;
}

void GreyToBgr24(benchmark::State& state) {
    const orlo::CImageData grey = DevicePicture();
    orlo::CImageData colour(320, 240, orlo::ImageFormat::Bgr24, true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(orlo::CImgDataConvert::ConvertFormat(grey, colour));
        benchmark::DoNotOptimize(colour.Pixels());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 320 * 240);
}
BENCHMARK(GreyToBgr24);

// As the acquisition thread does it: a fresh destination per cycle.
void GreyToBgr24WithAllocation(benchmark::State& state) {
    const orlo::CImageData grey = DevicePicture();
    for (auto _ : state) {
        orlo::CImageData colour(320, 240, orlo::ImageFormat::Bgr24, true);
        benchmark::DoNotOptimize(orlo::CImgDataConvert::ConvertFormat(grey, colour));
        benchmark::DoNotOptimize(colour.Pixels());
    }
}
BENCHMARK(GreyToBgr24WithAllocation);

void Bgr24ToDisplay(benchmark::State& state) {
    const orlo::CImageData grey = DevicePicture();
    orlo::CImageData colour(320, 240, orlo::ImageFormat::Bgr24, true);
    if (orlo::CImgDataConvert::ConvertFormat(grey, colour) != orlo::ImageStatus::Ok) {
        std::abort();
    }
    orlo::CImageData display(320, 240, orlo::ImageFormat::Bgr24, false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(orlo::CImgDataConvert::ConvertBmp(colour, display));
        benchmark::DoNotOptimize(display.Pixels());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(Bgr24ToDisplay);

} // namespace

BENCHMARK_MAIN();
