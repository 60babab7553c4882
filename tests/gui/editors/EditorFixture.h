#pragma once

#include "core/device/ConnectProcedures.h"
#include "core/device/DeviceSession.h"
#include "core/device/SystemCommands.h"
#include "gui/editors/DetectSettingSubDlgBace.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/StringText.h"
#include "sim/Simulator.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace orlo::test {

// The page that opens an editor: counts the return-home messages it receives.
class OwnerPage : public QWidget {
public:
    int returnHome = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == MessageType(WM_RETURN_HOME)) {
            ++returnHome;
            return true;
        }
        return QWidget::event(event);
    }
};

// A session connected over TCP to an in-process simulator, and the owner page.
struct SimulatedSensor {
    explicit SimulatedSensor(std::uint8_t direction = 0, int angleOfView = 90) {
        QDir::setCurrent(directory.path());
        sim::SimConfig config;
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        started = simulator->start(error) &&
                  ConnectLan(session, "127.0.0.1", simulator->tcpPort(), angleOfView) == RC_OK;
        if (started && direction != 0) {
            started = SetMountingDirection(session, 1000, direction) == RC_OK;
            session.Disconnect();
            started = started && ConnectLan(session, "127.0.0.1", simulator->tcpPort(), angleOfView) == RC_OK;
        }
    }
    ~SimulatedSensor() {
        session.Disconnect();
        simulator.reset();
        COrgMessageBox::ResetPresets();
    }

    QTemporaryDir directory;
    std::unique_ptr<sim::Simulator> simulator;
    DeviceSession session;
    OwnerPage owner;
    bool started = false;
};

// Shows the editor and waits until its first load has ended.
inline bool ShowAndLoad(CDetectSettingSubDlgBace& editor) {
    editor.show();
    return QTest::qWaitFor([&editor] { return editor.HasPicture() || !editor.isVisible(); }, 10000) &&
           editor.HasPicture();
}

inline QPoint ToQPoint(Point point) {
    return {point.x, point.y};
}

inline void Press(QWidget& widget, QPoint at) {
    QTest::mousePress(&widget, Qt::LeftButton, {}, at);
}
inline void MoveTo(QWidget& widget, QPoint at) {
    QTest::mouseMove(&widget, at);
}
inline void Release(QWidget& widget, QPoint at) {
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, at);
}
// Press, a few steps of mouse moves, release.
inline void Drag(QWidget& widget, QPoint from, QPoint to, int steps = 4) {
    Press(widget, from);
    for (int i = 1; i <= steps; ++i) {
        MoveTo(widget, from + (to - from) * i / steps);
    }
    Release(widget, to);
}

inline void ClickCell(COrgListCtrl& list, int row, int column = 0) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(row, column)).center());
}

inline QString Text(int id) {
    return StringText(id);
}

} // namespace orlo::test
