// The detection page's four 260 x 260 previews composed over the sensor's picture with every slot
// in use (16 area masks, 10 false-detection rectangles, both detection areas, 16 motion masks), then
// copied into their panels as the page's paint does. Prints p50/p99/max of one whole drawing.
#include "bench/SimulatedSensor.h"
#include "core/device/DetectionCommands.h"
#include "gui/settings/DetectionPreviews.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using orlo::bench::Percentile;

// Every slot of every kind in use, spread over the frame in a grid.
orlo::DetectionValues FullValues() {
    orlo::DetectionValues values;
    const auto grid = [](int slot, int columns) {
        const int left = 40 + (slot % columns) * (1500 / columns);
        const int top = 30 + (slot / columns) * 280;
        return orlo::Rect{left, top, left + 300, top + 220};
    };
    for (int slot = 0; slot < orlo::AREA_MASK_SLOTS; ++slot) {
        values.areaMasks.emplace_back(slot, grid(slot, 4), orlo::Judgement{orlo::AreaJudge::CenterPoint, 50});
        values.motionMasks.emplace_back(slot, grid(slot, 4));
    }
    for (int slot = 0; slot < orlo::FALSE_RECT_SLOTS; ++slot) {
        values.falseRects.emplace_back(slot, grid(slot, 3), orlo::FalseRectState::Stored);
    }
    values.humanArea = {100, 80, 1400, 1100};
    values.motionArea = orlo::UNSET_RECT;
    return values;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    orlo::bench::SimulatedSensor sensor;
    orlo::PreviewContent content;
    if (!sensor.Connected() || orlo::AcquireImage(sensor.Session(), 1, content.picture) != orlo::RC_OK) {
        std::fprintf(stderr, "no picture from the simulator: %s\n", sensor.Error().c_str());
        return 1;
    }
    content.values = FullValues();

    orlo::CDetectionPreviews previews;
    QImage page(704, 900, QImage::Format_RGB32);
    const QFont font = QApplication::font();
    std::vector<double> times;
    constexpr int rounds = 500;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        previews.Draw(content, font);
        QPainter painter(&page);
        for (int panel = 0; panel < orlo::PREVIEW_PANEL_COUNT; ++panel) {
            painter.drawImage(QPoint(76 + (panel % 2) * 292, 120 + (panel / 2) * 330),
                              previews.Surface(static_cast<orlo::PreviewPanel>(panel)));
        }
        painter.end();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("detection page, four previews composed and painted (%d rounds)  p50 %.2f ms  p99 %.2f ms  "
                "max %.2f ms\n",
                rounds, Percentile(times, 0.5), Percentile(times, 0.99),
                *std::max_element(times.begin(), times.end()));
    return 0;
}
