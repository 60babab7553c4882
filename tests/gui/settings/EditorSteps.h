#pragma once

#include "core/regions/RectTracking.h"
#include "core/regions/SensorGeometry.h"
#include "tests/gui/settings/PageFixture.h"

#include <QtTest>
#include <functional>

namespace orlo::test {

// Steps of the page tests inside the region editors the page opens.

// The mask editors' picture: the box at (8, 48), the landscape picture at surface (0, 75).
inline constexpr QPoint EDITOR_BOX{8, 48};
inline const SurfaceTransform EDITOR_LANDSCAPE{600.0 / 1599, 0, 75};

// The sensor rectangle a rubber band between two editor client points stores.
inline Rect DrawnSensorRect(QPoint from, QPoint to) {
    return SurfaceToSensor(NormalisedRect({from.x() - EDITOR_BOX.x(), from.y() - EDITOR_BOX.y()},
                                          {to.x() - EDITOR_BOX.x(), to.y() - EDITOR_BOX.y()}),
                           EDITOR_LANDSCAPE);
}

inline void DragOn(QWidget& widget, QPoint from, QPoint to) {
    QTest::mousePress(&widget, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 4; ++i) {
        QTest::mouseMove(&widget, from + (to - from) * i / 4);
    }
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, to);
}

// An editor of type Editor once its picture has loaded (no wait dialog above it any more).
template <typename Editor>
ModalDriver::Step OnLoadedEditor(std::function<void(Editor&)> act) {
    return [act](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        if (editor == nullptr || !editor->HasPicture()) {
            return false;
        }
        QTimer::singleShot(0, editor, [editor, act] { act(*editor); });
        return true;
    };
}

// Draws one mask from `from` to `to` and ends the editor with OK or Cancel.
template <typename Editor>
ModalDriver::Step DrawAndClose(QPoint from, QPoint to, bool ok) {
    return OnLoadedEditor<Editor>([from, to, ok](Editor& editor) {
        DragOn(editor, from, to);
        (ok ? editor.OkButton() : editor.CancelButton())->click();
    });
}

} // namespace orlo::test
