// The monitoring page's per-cycle drawing work: the cycle update (colour conversion, motion tint,
// display layout) and DrawPicture for a 320 x 240 frame with 20 results, as median and p99.
#include "core/monitor/PictureComposition.h"
#include "gui/monitor/ResultPainter.h"

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    orlo::CImageData picture(320, 240, orlo::ImageFormat::Grey8, true);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            picture.Row(y)[x] = static_cast<std::uint8_t>(x + y);
        }
    }
    orlo::CImageData block(128, 128, orlo::ImageFormat::Grey8, true);
    block.Fill(200);
    std::vector<orlo::DetectionResult> results;
    for (int i = 0; i < 20; ++i) {
        results.push_back({60 * i, 50 + 20 * i, 60 * i + 150, 250 + 20 * i, 500,
                           static_cast<std::uint8_t>(i % 2), static_cast<std::uint8_t>(i % 3 == 0), 0});
    }
    orlo::CycleComposer composer;
    orlo::CResultPainter painter;
    orlo::PaintSettings settings;
    settings.detectionAreas = {orlo::Rect{100, 100, 1500, 1100}, orlo::UNSET_RECT};
    settings.filterBits = orlo::FILTER_ALL;

    std::vector<double> update;
    std::vector<double> draw;
    for (int i = 0; i < 2000; ++i) {
        orlo::CycleInput input;
        input.imageKind = 1;
        input.motionCycleWithBlock = i % 2 == 1;
        input.picture = &picture;
        input.block = &block;
        input.results = results;
        input.indicator = true;
        const auto t0 = std::chrono::steady_clock::now();
        composer.Update(input);
        const auto t1 = std::chrono::steady_clock::now();
        painter.DrawPicture(*composer.Snapshot(), settings);
        const auto t2 = std::chrono::steady_clock::now();
        update.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        draw.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    std::vector<double> total(update.size());
    for (std::size_t i = 0; i < total.size(); ++i) {
        total[i] = update[i] + draw[i];
    }
    std::printf("cycle update:        median %.3f ms  p99 %.3f ms\n", Percentile(update, 0.5),
                Percentile(update, 0.99));
    std::printf("DrawPicture:         median %.3f ms  p99 %.3f ms\n", Percentile(draw, 0.5),
                Percentile(draw, 0.99));
    std::printf("update + draw:       median %.3f ms  p99 %.3f ms  (target: median < 2 ms, p99 < 5 ms)\n",
                Percentile(total, 0.5), Percentile(total, 0.99));
    return 0;
}
