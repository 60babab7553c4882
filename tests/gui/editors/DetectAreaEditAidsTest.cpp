#include "EditorFixture.h"
#include "core/config/AppConfig.h"
#include "gui/editors/DetectAreaList.h"
#include "gui/editors/DetectAreaSettingDlg.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/editors/RegionNumbers.h"
#include "gui/uikit/ImgButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

namespace orlo {
namespace {

using namespace orlo::test;
using Areas = CDetectAreaSettingDlg::Areas;

enum Edge { LEFT = 0, TOP = 1, RIGHT = 2, BOTTOM = 3 };

void PressRow(CDetectAreaSettingDlg& editor, int row) {
    QTest::mousePress(editor.AreaList(), Qt::LeftButton, {}, editor.AreaList()->ItemRect(row).center());
    QCoreApplication::processEvents();
}

QSpinBox& Box(const CDetectAreaSettingDlg& editor, Edge edge) {
    return *editor.EditAids().Numbers()->Box(edge);
}

Rect Numbers(const CDetectAreaSettingDlg& editor) {
    return {Box(editor, LEFT).value(), Box(editor, TOP).value(), Box(editor, RIGHT).value(),
            Box(editor, BOTTOM).value()};
}

void TypeInto(QSpinBox& box, int value) {
    QLineEdit& text = *box.findChild<QLineEdit*>();
    QTest::mouseClick(&text, Qt::LeftButton, {}, QPoint(5, text.height() / 2));
    QTest::keyClick(&text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&text, QString::number(value));
    QTest::keyClick(&text, Qt::Key_Return);
}

std::vector<int> StoredOrder(const QTemporaryDir& directory) {
    return AppConfig(directory.path().toStdString()).ReadDetectAreaOverlap();
}

} // namespace

class DetectAreaEditAidsTest : public QObject {
    Q_OBJECT

private slots:
    void keysAndNumbersPlaceThePickedAreaAndOkHandsThemBack() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner,
                                     Areas{Rect{200, 100, 800, 700}, UNSET_RECT});
        QVERIFY(ShowAndLoad(editor));
        QVERIFY(!Box(editor, LEFT).isEnabled());
        PressRow(editor, 0);
        QCOMPARE(editor.SelectedArea(), 0);
        QCOMPARE(Numbers(editor), (Rect{200, 100, 800, 700}));

        QTest::keyClick(&editor, Qt::Key_Left);
        QCOMPARE(editor.GetAreas()[0], (Rect{197, 100, 797, 700}));
        QTest::keyClick(&editor, Qt::Key_Right, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(editor.GetAreas()[0], (Rect{197, 100, 824, 700}));
        TypeInto(Box(editor, TOP), 333);
        QCOMPARE(editor.GetAreas()[0], (Rect{197, 333, 824, 700}));
        TypeInto(Box(editor, LEFT), -20);
        QCOMPARE(editor.GetAreas()[0], (Rect{0, 333, 824, 700}));
        QCOMPARE(editor.TrackerRect(), editor.SurfaceToClient(editor.SensorToSurface({0, 333, 824, 700})));

        // Tab picks the other area (the whole frame while unset); its keys stop at the frame.
        QTest::mouseClick(editor.EditAids().UndoButton(), Qt::LeftButton);
        QCOMPARE(editor.GetAreas()[0], (Rect{197, 333, 824, 700}));
        QTest::keyClick(&editor, Qt::Key_Tab);
        QCOMPARE(editor.SelectedArea(), 1);
        QTest::keyClick(&editor, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(editor.GetAreas()[1], (Rect{0, 0, 1599, 1196}));
        QTest::keyClick(&editor, Qt::Key_Down);
        QCOMPARE(editor.GetAreas()[1], (Rect{0, 3, 1599, 1199}));

        editor.OkButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.GetAreas()[0], (Rect{197, 333, 824, 700}));
        QCOMPARE(editor.GetAreas()[1], (Rect{0, 3, 1599, 1199}));
    }

    void dragsAndTheOrderAreUndoneAndRedone() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner,
                                     Areas{Rect{200, 100, 800, 700}, UNSET_RECT});
        QVERIFY(ShowAndLoad(editor));
        PressRow(editor, 0);
        const Rect client = editor.TrackerRect();
        const QPoint inside((client.left + client.right) / 2, (client.top + client.bottom) / 2);
        Press(editor, inside);
        MoveTo(editor, inside + QPoint(20, 10));
        // The numbers follow the drag before the release.
        QCOMPARE(Numbers(editor), editor.SurfaceToSensor(editor.ClientToSurface(editor.TrackerRect())));
        QVERIFY(Numbers(editor).left > 200);
        Release(editor, inside + QPoint(20, 10));
        const Rect dragged = editor.GetAreas()[0];
        QCOMPARE(dragged, editor.SurfaceToSensor(editor.ClientToSurface(editor.TrackerRect())));

        editor.DownButton()->click();
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{1, 0}));
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.AreaList()->ItemId(0), 0);
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{0, 1}));
        QVERIFY(editor.AreaList()->IsSelected(0));
        QCOMPARE(editor.GetAreas()[0], dragged);
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.GetAreas()[0], (Rect{200, 100, 800, 700}));
        QVERIFY(!editor.EditAids().UndoButton()->isEnabled());
        QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
        QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(editor.GetAreas()[0], dragged);
        QCOMPARE(editor.AreaList()->ItemId(0), 1);
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{1, 0}));
        editor.CancelButton()->click();
        // The order stays whatever ends the dialog.
        QCOMPARE(StoredOrder(sensor.directory), (std::vector<int>{1, 0}));
    }

    void theHintLiesUnderThePicture() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CDetectAreaSettingDlg editor(&sensor.session, &sensor.owner, Areas{UNSET_RECT, UNSET_RECT});
        const QLabel& hint = *editor.EditAids().Hint();
        QCOMPARE(hint.text(), Text(HINT_DETECTION_AREA_EDITOR));
        QVERIFY(hint.geometry().top() > editor.DisplayBox().bottom());
        QVERIFY(editor.OkButton()->geometry().top() > hint.geometry().bottom());
        QVERIFY(editor.EditAids().Numbers()->geometry().top() > editor.AreaList()->geometry().bottom());
    }
};

} // namespace orlo

QTEST_MAIN(orlo::DetectAreaEditAidsTest)
#include "DetectAreaEditAidsTest.moc"
