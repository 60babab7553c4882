#include "EditorFixture.h"
#include "core/regions/RectTracking.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/MotionMaskSettingDlg.h"
#include "gui/editors/RegionEditTexts.h"
#include "gui/editors/RegionNumbers.h"
#include "gui/uikit/ImgButton.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

namespace orlo {
namespace {

using namespace orlo::test;

constexpr QPoint BOX{8, 48};
enum Edge { LEFT = 0, TOP = 1, RIGHT = 2, BOTTOM = 3 };

std::vector<CAreaMaskArea> AreasWith(const std::vector<Rect>& rects) {
    std::vector<CAreaMaskArea> areas;
    for (std::size_t slot = 0; slot < rects.size(); ++slot) {
        areas.emplace_back(static_cast<int>(slot), rects[slot], Judgement{AreaJudge::FootPoint, 50});
    }
    return areas;
}

// The client point in the middle of a sensor rectangle as the editor shows it.
QPoint CentreOf(const CDetectSettingSubDlgBace& editor, const Rect& sensor) {
    const Rect surface = editor.SensorToSurface(sensor);
    return QPoint((surface.left + surface.right) / 2, (surface.top + surface.bottom) / 2) + BOX;
}

// The sensor rectangle of a rubber band between two client points, by the editor's own transform.
Rect DrawnRect(const CDetectSettingSubDlgBace& editor, QPoint from, QPoint to) {
    return SurfaceToSensor(
        NormalisedRect({from.x() - BOX.x(), from.y() - BOX.y()}, {to.x() - BOX.x(), to.y() - BOX.y()}),
        editor.SensorTransform());
}

void Click(QWidget& editor, QPoint at) {
    Press(editor, at);
    Release(editor, at);
}

QSpinBox& Box(const CMaskSettingDlg& editor, Edge edge) {
    return *editor.EditAids().Numbers()->Box(edge);
}

Rect Numbers(const CMaskSettingDlg& editor) {
    return {Box(editor, LEFT).value(), Box(editor, TOP).value(), Box(editor, RIGHT).value(),
            Box(editor, BOTTOM).value()};
}

// Types a value into a number box the way a user does: click into its text, select all, type, Enter.
void TypeNumber(QSpinBox& box, int value) {
    QLineEdit& text = *box.findChild<QLineEdit*>();
    QTest::mouseClick(&text, Qt::LeftButton, {}, QPoint(5, text.height() / 2));
    QTest::keyClick(&text, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&text, QString::number(value));
    QTest::keyClick(&text, Qt::Key_Return);
}

} // namespace

class MaskEditAidsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { COrgMessageBox::ResetPresets(); }

    void undoAndRedoGiveBackTheExactEarlierMasks() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, {});
        QVERIFY(ShowAndLoad(editor));
        QToolButton& undo = *editor.EditAids().UndoButton();
        QToolButton& redo = *editor.EditAids().RedoButton();
        QVERIFY(!undo.isEnabled());
        QVERIFY(!redo.isEnabled());

        Drag(editor, QPoint(100, 200), QPoint(220, 300));
        const Rect first = DrawnRect(editor, QPoint(100, 200), QPoint(220, 300));
        QCOMPARE(editor.Areas()[0].GetRect(), first);
        Drag(editor, QPoint(400, 400), QPoint(500, 520));
        const Rect second = DrawnRect(editor, QPoint(400, 400), QPoint(500, 520));
        // Moved by the mouse: still exactly the conversion of where the tracker ended.
        Drag(editor, CentreOf(editor, first), CentreOf(editor, first) + QPoint(30, 10));
        const Rect moved = editor.Areas()[0].GetRect();
        QVERIFY(moved != first);
        QVERIFY(undo.isEnabled());
        // A new picture keeps the history.
        editor.UpdateImageButton()->click();
        // The posted load runs behind the wait dialog and returns when the picture is in.
        QCoreApplication::processEvents();
        QVERIFY(editor.HasPicture());
        QCOMPARE(editor.LoadResult(), RC_OK);
        QVERIFY(undo.isEnabled());

        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), first);
        QCOMPARE(editor.Areas()[1].GetRect(), second);
        QVERIFY(redo.isEnabled());
        QTest::mouseClick(&undo, Qt::LeftButton);
        QVERIFY(!editor.Areas()[1].IsSet());
        QCOMPARE(editor.Areas()[1].GetJudgement(), Judgement{});
        QCOMPARE(editor.List()->rowCount(), 1);
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!editor.Areas()[0].IsSet());
        QVERIFY(!undo.isEnabled());
        QCOMPARE(editor.List()->rowCount(), 0);

        QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), first);
        QCOMPARE(editor.Areas()[0].GetJudge(), AreaJudge::CenterPoint);
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(editor.Areas()[1].GetRect(), second);
        QTest::mouseClick(&redo, Qt::LeftButton);
        QCOMPARE(editor.Areas()[0].GetRect(), moved);

        // A new change after an undo drops the redo.
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        Drag(editor, QPoint(300, 450), QPoint(350, 560));
        QVERIFY(!redo.isEnabled());
        QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), first);

        editor.OkButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.Areas()[0].GetRect(), first);
        QCOMPARE(editor.Areas()[1].GetRect(), second);
        QCOMPARE(editor.Areas()[2].GetRect(), DrawnRect(editor, QPoint(300, 450), QPoint(350, 560)));
    }

    void deletionsAndJudgementsAreUndone() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner,
                               AreasWith({{100, 100, 400, 400}, {800, 300, 1000, 700}}));
        QVERIFY(ShowAndLoad(editor));
        Click(editor, CentreOf(editor, {800, 300, 1000, 700}));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        QTest::keyRelease(&editor, Qt::Key_Delete);
        QTRY_VERIFY(!editor.Areas()[1].IsSet());
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{800, 300, 1000, 700}));
        QCOMPARE(editor.Areas()[1].GetJudgement(), (Judgement{AreaJudge::FootPoint, 50}));
        QCOMPARE(editor.List()->rowCount(), 2);

        // "一括削除" is one step.
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        editor.DeleteAllButton()->click();
        QVERIFY(!editor.Areas()[0].IsSet());
        QVERIFY(!editor.Areas()[1].IsSet());
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{100, 100, 400, 400}));
        QCOMPARE(editor.Areas()[0].GetJudgement(), (Judgement{AreaJudge::FootPoint, 50}));
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{800, 300, 1000, 700}));
        QVERIFY(!editor.EditAids().UndoButton()->isEnabled());
        editor.OkButton()->click();
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{800, 300, 1000, 700}));
    }

    void typedNumbersPlaceTheSelectedMaskClamped() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner,
                               AreasWith({{100, 100, 400, 400}, {800, 300, 1000, 700}}));
        QVERIFY(ShowAndLoad(editor));
        editor.activateWindow();
        QTRY_VERIFY(editor.isActiveWindow());
        QVERIFY(!Box(editor, LEFT).isEnabled());
        Click(editor, CentreOf(editor, {800, 300, 1000, 700}));
        QCOMPARE(Numbers(editor), (Rect{800, 300, 1000, 700}));
        QVERIFY(Box(editor, LEFT).isEnabled());

        TypeNumber(Box(editor, LEFT), 811);
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{811, 300, 1000, 700}));
        TypeNumber(Box(editor, BOTTOM), 5000);
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{811, 300, 1000, 1199}));
        QCOMPARE(Box(editor, BOTTOM).value(), 1199);
        // A left edge past the right one keeps the minimum side (ten handle pixels).
        TypeNumber(Box(editor, LEFT), 1590);
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{1572, 300, 1599, 1199}));
        QCOMPARE(Numbers(editor), (Rect{1572, 300, 1599, 1199}));
        QCOMPARE(editor.TrackerRect(),
                 editor.SurfaceToClient(editor.SensorToSurface({1572, 300, 1599, 1199})));
        // Typed values are undone one by one.
        QTest::mouseClick(editor.EditAids().UndoButton(), Qt::LeftButton);
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{811, 300, 1000, 1199}));
        QCOMPARE(Numbers(editor), (Rect{811, 300, 1000, 1199}));

        // After typing, a press on a mask gives the arrow keys back to the masks.
        Click(editor, CentreOf(editor, {100, 100, 400, 400}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{100, 103, 400, 403}));
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{811, 300, 1000, 1199}));

        editor.OkButton()->click();
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{100, 103, 400, 403}));
        QCOMPARE(editor.Areas()[1].GetRect(), (Rect{811, 300, 1000, 1199}));
    }

    void numbersFollowADragLive() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, AreasWith({{100, 100, 400, 400}}));
        QVERIFY(ShowAndLoad(editor));
        const QPoint from = CentreOf(editor, {100, 100, 400, 400});
        Press(editor, from);
        MoveTo(editor, from + QPoint(20, 0));
        MoveTo(editor, from + QPoint(40, 15));
        const Rect live = Numbers(editor);
        QCOMPARE(live, editor.SurfaceToSensor(editor.ClientToSurface(editor.TrackerRect())));
        QVERIFY(live.left > 100);
        QVERIFY(live.top > 100);
        Release(editor, from + QPoint(40, 15));
        QCOMPARE(editor.Areas()[0].GetRect(), live);
        QCOMPARE(Numbers(editor), live);
    }

    void keysMoveResizeAndPickTheNextMask() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner,
                               AreasWith({{100, 100, 400, 400}, UNSET_RECT, {1500, 1000, 1590, 1100}}));
        QVERIFY(ShowAndLoad(editor));
        // Without a selection the arrows leave every mask alone.
        QTest::keyClick(&editor, Qt::Key_Right);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{100, 100, 400, 400}));

        Click(editor, CentreOf(editor, {100, 100, 400, 400}));
        QTest::keyClick(&editor, Qt::Key_Right);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{103, 100, 403, 400}));
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{103, 127, 403, 427}));
        QTest::keyClick(&editor, Qt::Key_Left, Qt::AltModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{103, 127, 400, 427}));
        QTest::keyClick(&editor, Qt::Key_Down, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{103, 127, 400, 454}));
        QCOMPARE(Numbers(editor), (Rect{103, 127, 400, 454}));
        QCOMPARE(editor.TrackerRect(), editor.SurfaceToClient(editor.SensorToSurface({103, 127, 400, 454})));

        // Tab skips the empty slot and wraps; the keys then move the mask Tab picked.
        QTest::keyClick(&editor, Qt::Key_Tab);
        QCOMPARE(editor.SelectedSlot(), 2);
        QCOMPARE(Numbers(editor), (Rect{1500, 1000, 1590, 1100}));
        QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(editor.Areas()[2].GetRect(), (Rect{1509, 1000, 1599, 1100}));
        QTest::keyClick(&editor, Qt::Key_Right, Qt::AltModifier);
        QCOMPARE(editor.Areas()[2].GetRect(), (Rect{1509, 1000, 1599, 1100}));
        QTest::keyClick(&editor, Qt::Key_Tab);
        QCOMPARE(editor.SelectedSlot(), 0);

        // Each key is one step of the history.
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.Areas()[2].GetRect(), (Rect{1500, 1000, 1590, 1100}));
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{103, 127, 400, 427}));

        // Keys reach the editor while the list has the focus.
        editor.List()->setFocus();
        QTest::keyClick(editor.List(), Qt::Key_Tab);
        QTest::keyClick(editor.List(), Qt::Key_Up);
        QCOMPARE(editor.SelectedSlot(), 2);
        QCOMPARE(editor.Areas()[2].GetRect(), (Rect{1500, 997, 1590, 1097}));

        editor.OkButton()->click();
        QCOMPARE(editor.Areas()[0].GetRect(), (Rect{103, 127, 400, 427}));
        QCOMPARE(editor.Areas()[2].GetRect(), (Rect{1500, 997, 1590, 1097}));
    }

    void portraitMotionMasksStopAtTheLongSide() {
        SimulatedSensor sensor(1);
        QVERIFY(sensor.started);
        std::vector<CTevoArea> masks{CTevoArea(0, {1000, 1500, 1100, 1580})};
        CMotionMaskSettingDlg editor(&sensor.session, &sensor.owner, masks);
        QVERIFY(ShowAndLoad(editor));
        Click(editor, CentreOf(editor, {1000, 1500, 1100, 1580}));
        QCOMPARE(editor.SelectedSlot(), 0);
        QTest::keyClick(&editor, Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(editor.Masks()[0].GetRect(), (Rect{1000, 1519, 1100, 1599}));
        QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(editor.Masks()[0].GetRect(), (Rect{1099, 1519, 1199, 1599}));
        TypeNumber(*editor.EditAids().Numbers()->Box(TOP), 1590);
        QCOMPARE(editor.Masks()[0].GetRect(), (Rect{1099, 1572, 1199, 1599}));
        editor.CancelButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Rejected));
    }

    void listsHaveHeadingsAndTheHintSaysHowToDraw() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg areas(&sensor.session, &sensor.owner, {});
        QVERIFY(!areas.List()->horizontalHeader()->isHidden());
        QCOMPARE(areas.List()->horizontalHeaderItem(1)->text(), QStringLiteral("番号"));
        QCOMPARE(areas.List()->horizontalHeaderItem(2)->text(), QStringLiteral("判定"));
        QCOMPARE(areas.EditAids().Hint()->text(), Text(HINT_MASK_EDITOR));
        QVERIFY(areas.EditAids().Hint()->text().contains(QStringLiteral("ドラッグ")));
        // The hint lies under the picture, above OK; the undo buttons beside the update button.
        QVERIFY(areas.EditAids().Hint()->geometry().top() > areas.DisplayBox().bottom());
        QVERIFY(areas.OkButton()->geometry().top() > areas.EditAids().Hint()->geometry().bottom());
        QCOMPARE(areas.EditAids().UndoButton()->y(), areas.UpdateImageButton()->y());
        QVERIFY(areas.EditAids().UndoButton()->x() > areas.UpdateImageButton()->geometry().right());
        QVERIFY(areas.EditAids().Numbers()->geometry().top() > areas.DeleteAllButton()->geometry().bottom());
        CMotionMaskSettingDlg masks(&sensor.session, &sensor.owner, {});
        QCOMPARE(masks.List()->horizontalHeaderItem(1)->text(), QStringLiteral("番号"));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::MaskEditAidsTest)
#include "MaskEditAidsTest.moc"
