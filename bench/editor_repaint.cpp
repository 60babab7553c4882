// The area-mask editor while the mouse drags across its 600 x 600 box with 16 area masks over the
// sensor's picture: each mouse move is handled and the dialog repainted at once (work surface
// composed and copied into the box). Prints p50/p99/max of one move + repaint, for moving a mask
// with the tracker (16 masks) and for drawing a rubber band (15 masks and a free slot); then the same
// for resizing a detection area while both areas cover the whole picture (two translucent layers), and
// for arrow-key steps of a selected mask. Every move also updates the selected region's number boxes.
#include "bench/SimulatedSensor.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/DetectAreaList.h"
#include "gui/editors/DetectAreaSettingDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using orlo::CAreaMaskArea;
using orlo::bench::Percentile;

void Send(QWidget& widget, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, at, widget.mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

// One drag from `from` to `to` in single-pixel steps along x (and proportional y); the time of each
// move including the repaint it causes.
std::vector<double> TimedDrag(QWidget& editor, QPoint from, QPoint to) {
    std::vector<double> times;
    Send(editor, QEvent::MouseButtonPress, from, Qt::LeftButton);
    const int steps = std::max(1, std::abs(to.x() - from.x()));
    for (int i = 1; i <= steps; ++i) {
        const QPoint at = from + (to - from) * i / steps;
        const auto start = std::chrono::steady_clock::now();
        Send(editor, QEvent::MouseMove, at, Qt::LeftButton);
        editor.repaint();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    Send(editor, QEvent::MouseButtonRelease, to, Qt::NoButton);
    return times;
}

bool WaitForPicture(const orlo::CDetectSettingSubDlgBace& editor) {
    QElapsedTimer waited;
    waited.start();
    while (!editor.HasPicture() && waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return editor.HasPicture();
}

void Print(const char* what, const std::vector<double>& times) {
    std::printf("%-44s moves %4zu  p50 %.2f ms  p99 %.2f ms  max %.2f ms\n", what, times.size(),
                Percentile(times, 0.5), Percentile(times, 0.99),
                *std::max_element(times.begin(), times.end()));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    orlo::bench::SimulatedSensor sensor;
    if (!sensor.Connected()) {
        std::fprintf(stderr, "no simulator: %s\n", sensor.Error().c_str());
        return 1;
    }
    orlo::DeviceSession& session = sensor.Session();

    // 16 masks in a 4 x 4 grid over the whole frame, each 300 x 220 sensor units.
    std::vector<CAreaMaskArea> areas;
    for (int slot = 0; slot < orlo::AREA_MASK_SLOTS; ++slot) {
        const int left = 50 + (slot % 4) * 390;
        const int top = 40 + (slot / 4) * 290;
        areas.emplace_back(slot, orlo::Rect{left, top, left + 300, top + 220},
                           orlo::Judgement{orlo::AreaJudge::CenterPoint, 50});
    }
    QWidget owner;
    orlo::CAreaSettingDlg editor(&session, &owner, areas);
    editor.show();
    if (!WaitForPicture(editor)) {
        std::fprintf(stderr, "the editor got no picture\n");
        return 1;
    }

    // Mask 0 (its middle at client (78, 186)) dragged to the far right and back, over the others.
    std::vector<double> tracking = TimedDrag(editor, QPoint(78, 186), QPoint(600, 520));
    const std::vector<double> back = TimedDrag(editor, QPoint(560, 520), QPoint(20, 140));
    tracking.insert(tracking.end(), back.begin(), back.end());
    Print("move a mask with the tracker (16 masks)", tracking);
    const orlo::Rect moved = editor.Areas()[0].GetRect();
    std::printf("  mask 0 moved from (50, 40, 350, 260) to (%d, %d, %d, %d)\n", moved.left, moved.top,
                moved.right, moved.bottom);

    // The moved mask stays selected: arrow-key steps to the right and back, each with its repaint.
    std::vector<double> nudging;
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Left}) {
        for (int step = 0; step < 200; ++step) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            const auto start = std::chrono::steady_clock::now();
            QApplication::sendEvent(&editor, &press);
            editor.repaint();
            nudging.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    }
    Print("step a mask with the arrow keys (16 masks)", nudging);

    // Free slot 15 (its list row is the last) and draw a rubber band across the whole box.
    areas[15].Clear();
    orlo::CAreaSettingDlg drawing(&session, &owner, areas);
    drawing.show();
    WaitForPicture(drawing);
    std::vector<double> band = TimedDrag(drawing, QPoint(12, 127), QPoint(604, 569));
    Print("draw a rubber band across the box (15 masks)", band);
    const orlo::Rect drawn = drawing.Areas()[15].GetRect();
    std::printf("  mask 15 drawn as (%d, %d, %d, %d)\n", drawn.left, drawn.top, drawn.right, drawn.bottom);

    // Both detection areas unset (the whole picture); the human area picked in the list and its
    // bottom-right handle dragged to the top-left and back.
    orlo::CDetectAreaSettingDlg areaEditor(&session, &owner, {orlo::UNSET_RECT, orlo::UNSET_RECT});
    areaEditor.show();
    WaitForPicture(areaEditor);
    orlo::CDetectAreaList& list = *areaEditor.AreaList();
    Send(list, QEvent::MouseButtonPress, list.ItemRect(0).center(), Qt::LeftButton);
    QApplication::processEvents();
    std::vector<double> resizing = TimedDrag(areaEditor, QPoint(603, 568), QPoint(120, 220));
    const std::vector<double> grow = TimedDrag(areaEditor, QPoint(115, 215), QPoint(603, 568));
    resizing.insert(resizing.end(), grow.begin(), grow.end());
    Print("resize a detection area (two whole layers)", resizing);
    const orlo::Rect area = areaEditor.GetAreas()[orlo::HUMAN_DETECTION_AREA];
    std::printf("  human area ended as (%d, %d, %d, %d)\n", area.left, area.top, area.right, area.bottom);
    return 0;
}
