#include "gui/editors/AreaSettingDlg.h"

#include "EditorFixture.h"
#include "core/device/DetectionCommands.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/regions/RectTracking.h"
#include "gui/editors/AreaMaskJudgeSettingDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/RangeEdit.h"

#include <QRadioButton>
#include <functional>

namespace orlo {
namespace {

using namespace orlo::test;

// The landscape picture (320 x 240) lies at surface (0, 75) .. (600, 525) of the box at (8, 48).
constexpr QPoint BOX{8, 48};
const SurfaceTransform LANDSCAPE{600.0 / 1599, 0, 75};

std::vector<CAreaMaskArea> EmptyAreas() {
    std::vector<CAreaMaskArea> areas;
    for (int slot = 0; slot < AREA_MASK_SLOTS; ++slot) {
        areas.emplace_back(slot, UNSET_RECT, Judgement{});
    }
    return areas;
}

// The sensor rectangle the editor must store for a rubber band between two client points.
Rect ExpectedSensorRect(QPoint from, QPoint to) {
    const Point a{from.x() - BOX.x(), from.y() - BOX.y()};
    const Point b{to.x() - BOX.x(), to.y() - BOX.y()};
    return SurfaceToSensor(NormalisedRect(a, b), LANDSCAPE);
}

// The client rectangle of a sensor rectangle.
QRect ClientRectOf(const Rect& sensor) {
    const Rect surface = SensorToSurface(sensor, LANDSCAPE);
    return QRect(QPoint(surface.left + BOX.x(), surface.top + BOX.y()),
                 QPoint(surface.right + BOX.x() - 1, surface.bottom + BOX.y() - 1));
}

// Runs answer on the next modal dialog of type Dialog once it is up.
template <typename Dialog>
void AnswerNextDialog(std::function<void(Dialog&)> answer) {
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(qobject_cast<Dialog*>(QApplication::activeModalWidget()) != nullptr);
        answer(*qobject_cast<Dialog*>(QApplication::activeModalWidget()));
    });
}

} // namespace

class AreaSettingDlgTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { COrgMessageBox::ResetPresets(); }

    void aDragCreatesTheMaskOfTheRubberBand() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, EmptyAreas());
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.ImageRect(), (Rect{8, 123, 608, 573}));
        QCOMPARE(editor.PictureOffset(), (Point{0, 75}));

        const QPoint from(331, 402);
        const QPoint to(157, 219);
        Press(editor, from);
        QVERIFY(editor.IsCreating());
        MoveTo(editor, QPoint(250, 300));
        QCOMPARE(editor.RubberBand(), (Rect{242, 252, 323, 354}));
        MoveTo(editor, to);
        Release(editor, to);

        const CAreaMaskArea& area = editor.Areas()[0];
        QCOMPARE(area.GetRect(), ExpectedSensorRect(from, to));
        QCOMPARE(area.GetRect(), (Rect{397, 255, 860, 743}));
        QCOMPARE(area.GetJudge(), AreaJudge::CenterPoint);
        QCOMPARE(area.GetPercent(), 50);
        QVERIFY(!editor.Areas()[1].IsSet());
        QCOMPARE(editor.List()->rowCount(), 1);
        QCOMPARE(editor.List()->item(0, 1)->text(), QStringLiteral("0"));
        QCOMPARE(editor.List()->item(0, 2)->text(), QStringLiteral("中心点"));
        QVERIFY(IsUnset(editor.RubberBand()));
        QVERIFY(editor.DeleteAllButton()->isEnabled());
        QVERIFY(editor.BulkJudgementButton()->isEnabled());
    }

    void aDragLeavingThePictureIsClamped() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, EmptyAreas());
        QVERIFY(ShowAndLoad(editor));
        Drag(editor, QPoint(400, 300), QPoint(900, 700));
        // Stopped at the picture's bottom-right corner (608, 573).
        QCOMPARE(editor.Areas()[0].GetRect(), ExpectedSensorRect(QPoint(400, 300), QPoint(608, 573)));
        Drag(editor, QPoint(300, 400), QPoint(-50, 20));
        QCOMPARE(editor.Areas()[1].GetRect(), ExpectedSensorRect(QPoint(300, 400), QPoint(8, 123)));
        QCOMPARE(editor.Areas()[1].GetRect().left, 0);
        QCOMPARE(editor.Areas()[1].GetRect().top, 0);
        // A press outside the picture draws nothing.
        Drag(editor, QPoint(300, 80), QPoint(400, 300));
        QVERIFY(!editor.Areas()[2].IsSet());
        // Nor does a band under ten sensor units.
        Drag(editor, QPoint(100, 500), QPoint(103, 560));
        QVERIFY(!editor.Areas()[2].IsSet());
    }

    void aFullCollectionIgnoresDrags() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        for (int slot = 0; slot < AREA_MASK_SLOTS; ++slot) {
            areas[static_cast<std::size_t>(slot)].SetRect({slot * 20, 0, slot * 20 + 15, 15});
            areas[static_cast<std::size_t>(slot)].SetJudgement({AreaJudge::FootPoint, 50});
        }
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.List()->rowCount(), 16);
        Press(editor, QPoint(300, 300));
        QVERIFY(!editor.IsCreating());
        MoveTo(editor, QPoint(400, 400));
        QVERIFY(IsUnset(editor.RubberBand()));
        Release(editor, QPoint(400, 400));
        for (std::size_t slot = 0; slot < areas.size(); ++slot) {
            QCOMPARE(editor.Areas()[slot].GetRect(), areas[slot].GetRect());
        }
        QCOMPARE(editor.List()->rowCount(), 16);
    }

    void overlapPicksTheHigherSlotUnlessTheLowerIsSelected() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        areas[2].SetRect({100, 100, 600, 600});
        areas[5].SetRect({400, 400, 900, 900});
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        const QPoint overlap = ClientRectOf({450, 450, 550, 550}).center();
        Press(editor, overlap);
        Release(editor, overlap);
        QCOMPARE(editor.SelectedSlot(), 5);
        QVERIFY(editor.TrackerShown());
        QCOMPARE(editor.TrackerRect(),
                 SurfaceToClient(SensorToSurface(areas[5].GetRect(), LANDSCAPE), {8, 48}));

        // Elsewhere on the picture: nothing selected (and nothing drawn by a click).
        Press(editor, QPoint(590, 560));
        Release(editor, QPoint(590, 560));
        QCOMPARE(editor.SelectedSlot(), -1);
        QVERIFY(!editor.TrackerShown());

        const QPoint onlyTwo = ClientRectOf({150, 150, 250, 250}).center();
        Press(editor, onlyTwo);
        Release(editor, onlyTwo);
        QCOMPARE(editor.SelectedSlot(), 2);
        Press(editor, overlap);
        Release(editor, overlap);
        QCOMPARE(editor.SelectedSlot(), 2);
        // Clicks without a move change no rectangle.
        QCOMPARE(editor.Areas()[2].GetRect(), areas[2].GetRect());
        QCOMPARE(editor.Areas()[5].GetRect(), areas[5].GetRect());
    }

    void trackingStopsAtThePictureAndKeepsTheWidthOnAMove() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        areas[0].SetRect({1200, 500, 1400, 700});
        areas[0].SetJudgement({AreaJudge::Overlap, 35});
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        const Rect before = SensorToSurface(areas[0].GetRect(), LANDSCAPE);
        const QPoint middle = ClientRectOf(areas[0].GetRect()).center();
        Drag(editor, middle, middle + QPoint(400, -30), 8);
        const Rect moved = SensorToSurface(editor.Areas()[0].GetRect(), LANDSCAPE);
        QVERIFY(editor.TrackerShown());
        QCOMPARE(editor.SelectedSlot(), 0);
        // The right edge rests on the picture's edge; the width in surface pixels is kept (one pixel
        // may go to the sensor rounding).
        QCOMPARE(editor.TrackerRect().right, 608);
        QCOMPARE(editor.TrackerRect().Width(), before.Width());
        QVERIFY(std::abs(moved.Width() - before.Width()) <= 1);
        QCOMPARE(editor.Areas()[0].GetRect().top,
                 SurfaceToSensor(Rect{0, before.top - 30, 0, 0}, LANDSCAPE).top);
        QCOMPARE(editor.Areas()[0].GetJudgement(), (Judgement{AreaJudge::Overlap, 35}));

        // The left handle dragged past the picture's left edge stops there: the width grows.
        const QRect tracked(QPoint(editor.TrackerRect().left, editor.TrackerRect().top),
                            QPoint(editor.TrackerRect().right - 1, editor.TrackerRect().bottom - 1));
        const QPoint leftHandle(tracked.left() + 3, tracked.center().y());
        Drag(editor, leftHandle, QPoint(-100, tracked.center().y()), 6);
        QCOMPARE(editor.TrackerRect().left, 8);
        QCOMPARE(editor.TrackerRect().right, 608);
        QCOMPARE(editor.Areas()[0].GetRect().left, 0);
        QCOMPARE(editor.Areas()[0].GetRect().top,
                 SurfaceToSensor(ClientToSurface(editor.TrackerRect(), {8, 48}), LANDSCAPE).top);

        // Escape during a drag gives it up: the area stays where it was.
        const Rect kept = editor.Areas()[0].GetRect();
        const QPoint inside = ClientRectOf(kept).center();
        Press(editor, inside);
        MoveTo(editor, inside + QPoint(-150, 40));
        QTest::keyClick(&editor, Qt::Key_Escape);
        Release(editor, inside + QPoint(-150, 40));
        QCOMPARE(editor.Areas()[0].GetRect(), kept);
        QVERIFY(editor.isVisible());
    }

    void deleteKeyReleaseAsksWithTheNumber() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        areas[3].SetRect({200, 200, 800, 800});
        areas[3].SetJudgement({AreaJudge::FootPoint, 50});
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));

        // Nothing selected: Delete does nothing.
        QTest::keyClick(&editor, Qt::Key_Delete);
        QCoreApplication::processEvents();
        QVERIFY(COrgMessageBox::AnsweredTexts().isEmpty());

        const QPoint inside = ClientRectOf(areas[3].GetRect()).center();
        Press(editor, inside);
        Release(editor, inside);
        QCOMPARE(editor.SelectedSlot(), 3);
        // A plain key press is not enough; "No" keeps the area.
        QTest::keyPress(&editor, Qt::Key_Delete);
        QCoreApplication::processEvents();
        QVERIFY(COrgMessageBox::AnsweredTexts().isEmpty());
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QTest::keyRelease(&editor, Qt::Key_Delete);
        QTRY_COMPARE(COrgMessageBox::AnsweredTexts().size(), 1);
        QCOMPARE(COrgMessageBox::AnsweredTexts().front(),
                 QStringLiteral("No.3のエリアを削除します。\n削除してよろしいですか?"));
        QVERIFY(editor.Areas()[3].IsSet());

        // Released while the list has the focus, answered Yes.
        editor.List()->setFocus();
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        QTest::keyRelease(editor.List(), Qt::Key_Delete);
        QTRY_COMPARE(COrgMessageBox::AnsweredTexts().size(), 2);
        QVERIFY(!editor.Areas()[3].IsSet());
        QCOMPARE(editor.Areas()[3].GetJudgement(), Judgement{});
        QCOMPARE(editor.SelectedSlot(), -1);
        QVERIFY(!editor.TrackerShown());
        QCOMPARE(editor.List()->rowCount(), 0);
        QVERIFY(!editor.DeleteAllButton()->isEnabled());

        // A deleted slot is filled again by the next drawing, judging by the centre point.
        Drag(editor, QPoint(100, 200), QPoint(200, 300));
        QVERIFY(editor.Areas()[0].IsSet());
        QCOMPARE(editor.Areas()[0].GetJudge(), AreaJudge::CenterPoint);
    }

    void aDeletedSlotIsTheNextOneFilled() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        for (std::size_t slot = 0; slot < 5; ++slot) {
            areas[slot].SetRect(
                {static_cast<std::int32_t>(slot) * 300, 0, static_cast<std::int32_t>(slot) * 300 + 200, 200});
            areas[slot].SetJudgement({AreaJudge::Overlap, 70});
        }
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        const int row = editor.List()->FindByValue(3);
        QVERIFY(row >= 0);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        ClickCell(*editor.List(), row, 4);
        QTRY_COMPARE(COrgMessageBox::AnsweredTexts().size(), 1);
        QVERIFY(COrgMessageBox::AnsweredTexts().front().startsWith(QStringLiteral("No.3の")));
        QVERIFY(!editor.Areas()[3].IsSet());
        Drag(editor, QPoint(300, 300), QPoint(400, 420));
        QCOMPARE(editor.Areas()[3].GetRect(), ExpectedSensorRect(QPoint(300, 300), QPoint(400, 420)));
        QCOMPARE(editor.Areas()[3].GetJudgement(), (Judgement{AreaJudge::CenterPoint, 50}));
        QVERIFY(!editor.Areas()[5].IsSet());
    }

    void deleteAllAsksFirstThenEmptiesEverySlotUpToTheLast() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        areas[0].SetRect({0, 0, 100, 100});
        areas[9].SetRect({500, 500, 700, 700});
        areas[15].SetRect({1200, 800, 1400, 1000});
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QTest::mouseClick(editor.DeleteAllButton(), Qt::LeftButton);
        QCOMPARE(COrgMessageBox::AnsweredTexts().back(), Text(1130));
        QCOMPARE(editor.List()->rowCount(), 3);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        QTest::mouseClick(editor.DeleteAllButton(), Qt::LeftButton);
        QCOMPARE(COrgMessageBox::AnsweredTexts().size(), 2);
        QCOMPARE(editor.List()->rowCount(), 0);
        QCOMPARE(editor.Areas().size(), std::size_t{AREA_MASK_SLOTS});
        for (std::size_t slot = 0; slot < editor.Areas().size(); ++slot) {
            QVERIFY2(!editor.Areas()[slot].IsSet(), qPrintable(QString::number(slot)));
        }
        QVERIFY(!editor.DeleteAllButton()->isEnabled());
        QVERIFY(!editor.BulkJudgementButton()->isEnabled());
    }

    void theListShowsJudgementsAndOpensTheJudgementDialog() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        areas[1].SetRect({0, 0, 100, 100});
        areas[4].SetRect({200, 200, 300, 300});
        areas[4].SetJudgement({AreaJudge::Overlap, 7});
        areas[6].SetRect({400, 400, 500, 500});
        areas[6].SetJudgement({AreaJudge::FootPoint, 50});
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        COrgListCtrl& list = *editor.List();
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.item(0, 2)->text(), QString()); // None
        QCOMPARE(list.item(1, 2)->text(), QStringLiteral("重なり 7%"));
        QCOMPARE(list.item(2, 2)->text(), QStringLiteral("足元点"));
        QCOMPARE(list.RowValue(1), 4);

        // The judgement button of the row of area 4: opened with Overlap 7, changed to Overlap 80.
        AnswerNextDialog<CAreaMaskJudgeSettingDlg>([](CAreaMaskJudgeSettingDlg& dialog) {
            QVERIFY(dialog.KindButton(AreaJudge::Overlap)->isChecked());
            QCOMPARE(dialog.PercentField()->text(), QStringLiteral("7"));
            dialog.PercentField()->setText(QStringLiteral("80"));
            dialog.OkButton()->click();
        });
        ClickCell(list, 1, 3);
        QCOMPARE(editor.Areas()[4].GetJudgement(), (Judgement{AreaJudge::Overlap, 80}));
        QCOMPARE(list.item(1, 2)->text(), QStringLiteral("重なり 80%"));
        // The list selection labels that area red, and picture selection is untouched.
        ClickCell(list, 2, 1);
        QCOMPARE(editor.ListSelection(), 6);
        QCOMPARE(editor.SelectedSlot(), -1);

        // Cancel changes nothing.
        AnswerNextDialog<CAreaMaskJudgeSettingDlg>(
            [](CAreaMaskJudgeSettingDlg& dialog) { dialog.CancelButton()->click(); });
        ClickCell(list, 0, 3);
        QCOMPARE(editor.Areas()[1].GetJudgement(), Judgement{});
    }

    void bulkJudgementChangesOnlyAreasInUse() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        areas[0].SetRect({0, 0, 100, 100});
        areas[7].SetRect({200, 200, 300, 300});
        areas[7].SetJudgement({AreaJudge::FootPoint, 50});
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        AnswerNextDialog<CAreaMaskJudgeSettingDlg>([](CAreaMaskJudgeSettingDlg& dialog) {
            QVERIFY(dialog.KindButton(AreaJudge::CenterPoint)->isChecked());
            QCOMPARE(dialog.PercentField()->text(), QStringLiteral("50"));
            dialog.KindButton(AreaJudge::Overlap)->setChecked(true);
            dialog.PercentField()->setText(QStringLiteral("65"));
            dialog.OkButton()->click();
        });
        editor.BulkJudgementButton()->click();
        QCOMPARE(editor.Areas()[0].GetJudgement(), (Judgement{AreaJudge::Overlap, 65}));
        QCOMPARE(editor.Areas()[7].GetJudgement(), (Judgement{AreaJudge::Overlap, 65}));
        QCOMPARE(editor.Areas()[1].GetJudgement(), Judgement{});
        QCOMPARE(editor.List()->item(1, 2)->text(), QStringLiteral("重なり 65%"));
    }

    void enterAndEscapeDoNothing() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas = EmptyAreas();
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        Drag(editor, QPoint(100, 200), QPoint(200, 300));
        for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(&editor, static_cast<Qt::Key>(key));
            QTest::keyClick(editor.List(), static_cast<Qt::Key>(key));
        }
        QCoreApplication::processEvents();
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.result(), 0);
        QVERIFY(editor.Areas()[0].IsSet());
        editor.OkButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
    }

    // End to end: an area mask drawn over the whole picture is written to the sensor with its judge
    // byte, and the sensor then reports its detections as excluded by an area mask.
    void aDrawnMaskReachesTheSensor() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CAreaMaskArea> areas;
        QCOMPARE(ReadAreaMasks(sensor.session, areas), RC_OK);
        CAreaSettingDlg editor(&sensor.session, &sensor.owner, areas);
        QVERIFY(ShowAndLoad(editor));
        Drag(editor, QPoint(8, 123), QPoint(700, 700));
        editor.OkButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.CurrentPicture().Width(), 320);

        QCOMPARE(ApplyAreaMasks(sensor.session, editor.Areas()), RC_OK);
        const sim::SensorSettings stored = sensor.simulator->settings();
        const Rect drawn = ExpectedSensorRect(QPoint(8, 123), QPoint(608, 573));
        QCOMPARE(stored.areaMasks[0].rect.left, drawn.left);
        QCOMPARE(stored.areaMasks[0].rect.top, drawn.top);
        QCOMPARE(stored.areaMasks[0].rect.right, drawn.right);
        QCOMPARE(stored.areaMasks[0].rect.bottom, drawn.bottom);
        QCOMPARE(stored.areaMasks[0].judge, 0x80);
        QVERIFY(!stored.areaMasks[1].rect.isSet());

        std::vector<DetectionResult> results;
        for (int cycle = 0; cycle < 200 && results.empty(); ++cycle) {
            bool indicator = false;
            CImageData picture;
            std::vector<CImageData> blocks;
            QCOMPARE(DetectOnce(sensor.session, 0, false, FUNCTION_HUMAN_DETECTION, results, indicator,
                                picture, blocks),
                     RC_OK);
        }
        QVERIFY(!results.empty());
        for (const DetectionResult& result : results) {
            QCOMPARE(result.excludedByAreaMask, 1);
        }
    }
};

} // namespace orlo

QTEST_MAIN(orlo::AreaSettingDlgTest)
#include "AreaSettingDlgTest.moc"
