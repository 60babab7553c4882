#include "gui/editors/DetectAreaSettingDlg.h"

#include "EditorFixture.h"
#include "core/config/AppConfig.h"
#include "core/device/DetectionSettingsCommands.h"
#include "gui/editors/DetectAreaList.h"
#include "gui/uikit/ImgButton.h"

#include <QLabel>

namespace orlo {
namespace {

using namespace orlo::test;
using Areas = CDetectAreaSettingDlg::Areas;

constexpr Areas BOTH_UNSET{UNSET_RECT, UNSET_RECT};
// The landscape picture in client coordinates.
constexpr Rect IMAGE{8, 123, 608, 573};

// Picks a row of the area list as a user would.
void PickRow(CDetectAreaSettingDlg& editor, int row) {
    QTest::mousePress(editor.AreaList(), Qt::LeftButton, {}, editor.AreaList()->ItemRect(row).center());
    QCoreApplication::processEvents();
}

// Opacity with which a red area lies over the grey picture at a surface point: red - green.
int RedAlpha(const QImage& surface, QPoint at) {
    const QColor c = surface.pixelColor(at);
    return c.red() - c.green();
}
// The same for the gold area: red - blue.
int GoldAlpha(const QImage& surface, QPoint at) {
    const QColor c = surface.pixelColor(at);
    return c.red() - c.blue();
}

std::vector<int> StoredOrder(const QTemporaryDir& directory) {
    return AppConfig(directory.path().toStdString()).ReadDetectAreaOverlap();
}

} // namespace

class DetectAreaSettingDlgTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { COrgMessageBox::ResetPresets(); }

    void theOrderButtonsWriteTheOrderAtOnce() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, BOTH_UNSET);
        const CDetectAreaList& list = *editor.AreaList();
        QCOMPARE(list.Count(), 2);
        QCOMPARE(list.ItemLabel(0), QStringLiteral("人体検出領域"));
        QCOMPARE(list.ItemLabel(1), QStringLiteral("動体検知領域(近距離)"));
        QVERIFY(ShowAndLoad(editor));
        // The heading says what the order means, just above the list.
        const auto* heading = editor.findChild<QLabel*>(QStringLiteral("areaListHeading"));
        QVERIFY(heading != nullptr && heading->isVisible());
        QCOMPARE(heading->x(), list.x());
        QVERIFY(heading->geometry().bottom() < list.y());

        // Without a selection the buttons move nothing, but the order is written all the same.
        editor.DownButton()->click();
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{0, 1}));
        PickRow(editor, 0);
        QCOMPARE(editor.SelectedArea(), HUMAN_DETECTION_AREA);
        editor.DownButton()->click();
        QCOMPARE(list.ItemId(0), MOTION_DETECTION_AREA);
        QCOMPARE(list.ItemId(1), HUMAN_DETECTION_AREA);
        QVERIFY(list.IsSelected(1));
        QVERIFY(!list.IsSelected(0));
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{1, 0}));
        editor.DownButton()->click(); // at the bottom already
        QCOMPARE(list.ItemId(1), HUMAN_DETECTION_AREA);
        // Kept when the editor is cancelled, and read by the next one.
        editor.CancelButton()->click();
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{1, 0}));

        CDetectAreaSettingDlg next(&sensor.session, &sensor.owner, BOTH_UNSET);
        QCOMPARE(next.AreaList()->ItemLabel(0), QStringLiteral("動体検知領域(近距離)"));
        QVERIFY(ShowAndLoad(next));
        PickRow(next, 1);
        next.UpButton()->click();
        QCOMPARE(next.AreaList()->ItemId(0), HUMAN_DETECTION_AREA);
        QVERIFY(next.AreaList()->IsSelected(0));
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{0, 1}));
    }

    // A hand-edited order naming no area, or one area twice, lists both areas in the default order.
    void aDamagedOrderListsBothAreas() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        for (const char* stored : {"ab", "11", "7"}) {
            QFile file(sensor.directory.filePath(QStringLiteral("Orlo-X1.conf")));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray("[Application]\nDetectAreaOverlap=") + stored + "\n");
            file.close();
            CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, BOTH_UNSET);
            QCOMPARE(editor.AreaList()->Count(), 2);
            QCOMPARE(editor.AreaList()->ItemId(0), HUMAN_DETECTION_AREA);
            QCOMPARE(editor.AreaList()->ItemId(1), MOTION_DETECTION_AREA);
            QCOMPARE(editor.AreaList()->ItemLabel(1), QStringLiteral("動体検知領域(近距離)"));
        }
    }

    void theFirstAreaOfTheListLiesOnTop() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        const QPoint middle(300, 300);
        {
            CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, BOTH_UNSET);
            QVERIFY(ShowAndLoad(editor));
            editor.repaint();
            // Both unset areas cover the whole picture. Red (human) laid last over gold leaves green
            // 215 a (1 - a) above blue, whatever the picture's grey; gold laid last 215 a.
            const QColor c = editor.WorkSurface().pixelColor(middle);
            QVERIFY2(std::abs(c.green() - c.blue() - 45) <= 4, qPrintable(c.name()));
            QCOMPARE(editor.WorkSurface().pixelColor(300, 40), QColor(Qt::black));
        }
        AppConfig(sensor.directory.path().toStdString()).WriteDetectAreaOverlap({1, 0});
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, BOTH_UNSET);
        QVERIFY(ShowAndLoad(editor));
        editor.repaint();
        const QColor c = editor.WorkSurface().pixelColor(middle);
        QVERIFY2(std::abs(c.green() - c.blue() - 63) <= 4, qPrintable(c.name()));
    }

    void thePickedAreaIsLessTranslucent() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        const Areas areas{Rect{0, 0, 800, 600}, Rect{800, 600, 1600, 1200}};
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        const QPoint inHuman(150, 75 + 112);
        const QPoint inMotion(450, 75 + 337);
        editor.repaint();
        QVERIFY(std::abs(RedAlpha(editor.WorkSurface(), inHuman) - 75) <= 2);
        QVERIFY(std::abs(GoldAlpha(editor.WorkSurface(), inMotion) - 75) <= 2);
        PickRow(editor, 1);
        QCOMPARE(editor.SelectedArea(), MOTION_DETECTION_AREA);
        QVERIFY(editor.TrackerShown());
        QCOMPARE(editor.TrackerRect(), (Rect{308, 348, 608, 573}));
        editor.repaint();
        QVERIFY(std::abs(RedAlpha(editor.WorkSurface(), inHuman) - 50) <= 2);
        QVERIFY(std::abs(GoldAlpha(editor.WorkSurface(), inMotion) - 75) <= 2);
        // The picked area is outlined with its 4-pixel pen inside its edge.
        const QColor edge = editor.WorkSurface().pixelColor(301, 400);
        QCOMPARE(edge, QColor(255, 215, 0));
        // A press on nothing in the list picks nothing.
        QTest::mousePress(editor.AreaList(), Qt::LeftButton, {}, QPoint(10, editor.AreaList()->height() - 3));
        QTRY_COMPARE(editor.SelectedArea(), -1);
        QVERIFY(!editor.TrackerShown());
        editor.repaint();
        QVERIFY(std::abs(RedAlpha(editor.WorkSurface(), inHuman) - 75) <= 2);
    }

    void anAreaDraggedOverThePictureIsStoredUnset() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        const Areas areas{Rect{400, 320, 1200, 880}, UNSET_RECT};
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.ImageRect(), IMAGE);

        // Without a picked area a press on the picture does nothing.
        Drag(editor, QPoint(300, 300), QPoint(350, 350));
        QCOMPARE(editor.GetAreas(), areas);

        PickRow(editor, 0);
        const Rect tracked = editor.TrackerRect();
        QCOMPARE(tracked, (Rect{158, 243, 458, 453}));
        // The top-left handle past the picture's corner, then the bottom-right one one pixel short.
        Drag(editor, QPoint(tracked.left + 4, tracked.top + 4), QPoint(-20, 0));
        QCOMPARE(editor.TrackerRect().left, IMAGE.left);
        QCOMPARE(editor.TrackerRect().top, IMAGE.top);
        QCOMPARE(editor.GetAreas()[0], (Rect{0, 0, 1200, 880}));
        const QPoint bottomRight(tracked.right - 5, tracked.bottom - 5);
        Drag(editor, bottomRight,
             bottomRight + QPoint(IMAGE.right - 1 - tracked.right, IMAGE.bottom - tracked.bottom));
        QCOMPARE(editor.TrackerRect(), (Rect{8, 123, 607, 573}));
        QCOMPARE(editor.GetAreas()[0], (Rect{0, 0, 1597, 1200}));
        // The last pixel: exactly the picture, which is the whole frame.
        const QPoint corner(IMAGE.right - 6, IMAGE.bottom - 5);
        Drag(editor, corner, corner + QPoint(30, 30));
        QCOMPARE(editor.TrackerRect(), IMAGE);
        QCOMPARE(editor.GetAreas()[0], UNSET_RECT);
        QCOMPARE(editor.GetAreas()[1], UNSET_RECT);

        // The other area, moved by its inside: its size stays, it becomes a rectangle of its own.
        PickRow(editor, 1);
        QCOMPARE(editor.SelectedArea(), MOTION_DETECTION_AREA);
        QCOMPARE(editor.TrackerRect(), IMAGE);
        Drag(editor, QPoint(300, 300), QPoint(200, 250));
        QCOMPARE(editor.GetAreas()[1], UNSET_RECT); // held at the picture: nothing changed
        const Rect edge = editor.TrackerRect();
        Drag(editor, QPoint(edge.right - 5, 348), QPoint(408, 348)); // the right handle
        QCOMPARE(editor.GetAreas()[1], (Rect{0, 0, 1080, 1200}));
        QCOMPARE(editor.GetAreas()[0], UNSET_RECT);

        // A press outside the display box lets go of the area; one inside it but off the area
        // does nothing.
        Press(editor, QPoint(620, 400));
        Release(editor, QPoint(620, 400));
        QCOMPARE(editor.SelectedArea(), -1);
        QVERIFY(!editor.AreaList()->AnySelected());
        PickRow(editor, 1);
        Press(editor, QPoint(500, 300));
        Release(editor, QPoint(500, 300));
        QCOMPARE(editor.SelectedArea(), MOTION_DETECTION_AREA);
    }

    void okHandsBackEdgesOnTheFrame() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        const Areas areas{Rect{100, 0, 1600, 1200}, UNSET_RECT};
        {
            CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
            QVERIFY(ShowAndLoad(editor));
            editor.CancelButton()->click();
            QCOMPARE(editor.GetAreas(), areas);
        }
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        editor.OkButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.GetAreas()[0], (Rect{100, 0, 1599, 1199}));
        QCOMPARE(editor.GetAreas()[1], UNSET_RECT);
        // What the page then writes is what the sensor keeps.
        QCOMPARE(SetHumanDetectionAreaVerified(sensor.session, editor.GetAreas()[0]), RC_OK);
        QCOMPARE(SetMotionDetectionAreaVerified(sensor.session, editor.GetAreas()[1]), RC_OK);
    }

    void portraitFrameInEveryStep() {
        SimulatedSensor sensor(1);
        QVERIFY(sensor.started);
        const Areas areas{Rect{0, 0, 1200, 1600}, UNSET_RECT};
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.ImageRect(), (Rect{83, 48, 533, 648}));
        PickRow(editor, 1);
        // The unset area is the portrait frame, which is the picture.
        QCOMPARE(editor.TrackerRect(), editor.ImageRect());
        editor.OkButton()->click();
        QCOMPARE(editor.GetAreas()[0], (Rect{0, 0, 1199, 1599}));
        QCOMPARE(editor.GetAreas()[1], UNSET_RECT);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::DetectAreaSettingDlgTest)
#include "DetectAreaSettingDlgTest.moc"
