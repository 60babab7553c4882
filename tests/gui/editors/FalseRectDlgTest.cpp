#include "gui/editors/FalseRectDlg.h"

#include "EditorFixture.h"
#include "core/device/DetectionSettingsCommands.h"
#include "gui/editors/RegionNumbers.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"

#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <algorithm>

namespace orlo {
namespace {

using namespace orlo::test;

std::vector<CFalseRectArea> EmptyRects() {
    std::vector<CFalseRectArea> rects;
    for (int slot = 0; slot < FALSE_RECT_SLOTS; ++slot) {
        rects.emplace_back(slot, UNSET_RECT, FalseRectState::Stored);
    }
    return rects;
}

std::vector<DetectionResult> DetectNow(DeviceSession& session) {
    std::vector<DetectionResult> results;
    bool indicator = false;
    CImageData picture;
    std::vector<CImageData> blocks;
    if (DetectOnce(session, 0, false, FUNCTION_HUMAN_DETECTION, results, indicator, picture, blocks) !=
        RC_OK) {
        results.clear();
    }
    return results;
}

// A detection that stays where it is from one run to the next (the sensor keeps seeing the plant).
Rect StationaryDetection(DeviceSession& session) {
    const std::vector<DetectionResult> first = DetectNow(session);
    const std::vector<DetectionResult> second = DetectNow(session);
    for (const DetectionResult& a : first) {
        for (const DetectionResult& b : second) {
            if (CDetectionRunDlgBase::RectOf(a) == CDetectionRunDlgBase::RectOf(b)) {
                return CDetectionRunDlgBase::RectOf(a);
            }
        }
    }
    return UNSET_RECT;
}

// Intersection over union of two sensor rectangles.
double Overlap(const Rect& a, const Rect& b) {
    const double w = std::max(0, std::min(a.right, b.right) - std::max(a.left, b.left));
    const double h = std::max(0, std::min(a.bottom, b.bottom) - std::max(a.top, b.top));
    const double both = w * h;
    return both / (double(a.Width()) * a.Height() + double(b.Width()) * b.Height() - both);
}

// The client point over the middle of a sensor rectangle of the landscape picture.
QPoint ClientCentre(const CFalseRectDlg& editor, const Rect& sensor) {
    const Rect pixels = editor.ToPicturePixels(sensor);
    const double zoom = 600.0 / 320;
    return {8 + static_cast<int>((pixels.left + pixels.right) / 2 * zoom),
            48 + 75 + static_cast<int>((pixels.top + pixels.bottom) / 2 * zoom)};
}

int ListedCount(const CFalseRectDlg& editor) {
    const auto& candidates = editor.Candidates();
    return static_cast<int>(
        std::count_if(candidates.begin(), candidates.end(), [](auto& c) { return c.listed; }));
}

bool Offered(const CFalseRectDlg& editor, const Rect& rect) {
    const auto& candidates = editor.Candidates();
    return std::any_of(candidates.begin(), candidates.end(),
                       [&rect](auto& c) { return c.listed && c.rect == rect; });
}

// Shows the editor as the active window, so that a click gives a list the keyboard focus.
bool ShowActiveAndLoad(CFalseRectDlg& editor) {
    if (!ShowAndLoad(editor)) {
        return false;
    }
    editor.activateWindow();
    return QTest::qWaitForWindowActive(&editor);
}

// Picks the first row of the candidate list and registers it.
Rect RegisterFirstCandidate(CFalseRectDlg& editor) {
    ClickCell(*editor.CandidateList(), 0);
    const Rect rect = editor.Candidates()[static_cast<std::size_t>(editor.CandidateSelection())].rect;
    editor.RegisterButton()->click();
    return rect;
}

} // namespace

class FalseRectDlgTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { COrgMessageBox::ResetPresets(); }

    void offersOnlyPlainDetectionsThatAreNotRegistered() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        const Rect plant = StationaryDetection(sensor.session);
        QVERIFY(!IsUnset(plant));
        std::vector<CFalseRectArea> rects = EmptyRects();
        rects[5].SetRect(plant);
        CFalseRectDlg editor(&sensor.session, &sensor.owner, rects);
        // The registered list is filled before the first picture.
        QCOMPARE(editor.RegisteredList()->rowCount(), 1);
        QCOMPARE(editor.RegisteredList()->item(0, 0)->text(), QStringLiteral("L:%1, T:%2, R:%3, B:%4")
                                                                  .arg(plant.left)
                                                                  .arg(plant.top)
                                                                  .arg(plant.right)
                                                                  .arg(plant.bottom));
        QVERIFY(ShowAndLoad(editor));
        QCOMPARE(editor.Scale(), 5.0);

        const auto& detections = editor.Detections();
        QVERIFY(std::any_of(detections.begin(), detections.end(), [&plant](auto& d) {
            return CDetectionRunDlgBase::RectOf(d) == plant && d.IsPlain();
        }));
        QVERIFY(!Offered(editor, plant));
        int expected = 0;
        for (const DetectionResult& detection : detections) {
            const Rect rect = CDetectionRunDlgBase::RectOf(detection);
            if (detection.IsPlain() && rect != plant) {
                ++expected;
                QVERIFY(Offered(editor, rect));
            }
        }
        QVERIFY(expected > 0);
        QCOMPARE(editor.CandidateList()->rowCount(), expected);
        QVERIFY(!editor.RegisterButton()->isEnabled());
        QVERIFY(!editor.DeleteButton()->isEnabled());
    }

    void theEleventhRegistrationIsRefusedUntilOneIsDeleted() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CFalseRectArea> rects = EmptyRects();
        for (int slot = 0; slot < FALSE_RECT_SLOTS; ++slot) {
            rects[static_cast<std::size_t>(slot)].SetRect({slot * 10, 0, slot * 10 + 5, 5});
        }
        CFalseRectDlg editor(&sensor.session, &sensor.owner, rects);
        QVERIFY(ShowActiveAndLoad(editor));
        QVERIFY(editor.CandidateList()->rowCount() > 0);
        const int candidates = editor.CandidateList()->rowCount();

        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        ClickCell(*editor.CandidateList(), 0);
        QCOMPARE(editor.CandidateSelection(), 0);
        QVERIFY(editor.RegisterButton()->isEnabled());
        editor.RegisterButton()->click();
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(1141)});
        QCOMPARE(editor.CandidateList()->rowCount(), candidates);
        QCOMPARE(editor.RegisteredList()->rowCount(), 10);
        for (std::size_t slot = 0; slot < rects.size(); ++slot) {
            QCOMPARE(editor.Registered()[slot].GetState(), FalseRectState::Stored);
        }

        // "No" to 1128 keeps the rectangle; "Yes" removes it and frees its slot.
        ClickCell(*editor.RegisteredList(), 3);
        QCOMPARE(editor.RegisteredSelection(), 3);
        QCOMPARE(editor.CandidateSelection(), -1); // the list that took the focus took the selection
        QVERIFY(!editor.RegisterButton()->isEnabled());
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        editor.DeleteButton()->click();
        QCOMPARE(COrgMessageBox::AnsweredTexts().back(), Text(1128));
        QCOMPARE(editor.RegisteredList()->rowCount(), 10);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        editor.DeleteButton()->click();
        QCOMPARE(editor.Registered()[3].GetState(), FalseRectState::Removed);
        QCOMPARE(editor.RegisteredList()->rowCount(), 9);
        QCOMPARE(editor.RegisteredSelection(), -1);
        QVERIFY(!editor.DeleteButton()->isEnabled());

        const Rect registered = RegisterFirstCandidate(editor);
        QCOMPARE(COrgMessageBox::AnsweredTexts().size(), 3);
        QCOMPARE(editor.Registered()[3].GetRect(), registered);
        QCOMPARE(editor.Registered()[3].GetState(), FalseRectState::Added);
        QCOMPARE(editor.RegisteredList()->rowCount(), 10);
        QCOMPARE(editor.CandidateList()->rowCount(), candidates - 1);
        QCOMPARE(editor.CandidateSelection(), -1);
    }

    void aDeletedRegistrationIsOfferedAgain() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CFalseRectDlg editor(&sensor.session, &sensor.owner, EmptyRects());
        QVERIFY(ShowAndLoad(editor));
        const int candidates = ListedCount(editor);
        const Rect registered = RegisterFirstCandidate(editor);
        QVERIFY(!Offered(editor, registered));
        QCOMPARE(ListedCount(editor), candidates - 1);
        QCOMPARE(editor.RegisteredList()->rowCount(), 1);

        ClickCell(*editor.RegisteredList(), 0);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        editor.DeleteButton()->click();
        QVERIFY(Offered(editor, registered));
        QCOMPARE(editor.CandidateList()->rowCount(), candidates);
        QCOMPARE(editor.RegisteredList()->rowCount(), 0);
        QCOMPARE(editor.Registered()[0].GetState(), FalseRectState::Removed);
    }

    void registrationsAndRemovalsAreUndoneByKeysAndButtonsUntilANewRun() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CFalseRectArea> rects = EmptyRects();
        rects[4].SetRect({100, 100, 200, 200});
        CFalseRectDlg editor(&sensor.session, &sensor.owner, rects);
        QVERIFY(ShowActiveAndLoad(editor));
        QVERIFY(!editor.EditAids().UndoButton()->isEnabled());
        QVERIFY2(!editor.EditAids().Numbers()->isVisible(), "nothing here is placed by numbers");
        QVERIFY(editor.EditAids().Hint()->isVisible());
        QVERIFY(!editor.CandidateList()->horizontalHeader()->isHidden());
        const int candidates = ListedCount(editor);
        QVERIFY(candidates > 0);

        const Rect registered = RegisterFirstCandidate(editor);
        QCOMPARE(editor.RegisteredList()->rowCount(), 2);
        QVERIFY(editor.EditAids().UndoButton()->isEnabled());
        QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.RegisteredList()->rowCount(), 1);
        QVERIFY(Offered(editor, registered));
        QCOMPARE(editor.Registered()[0].GetRect(), UNSET_RECT);
        QTest::keyClick(&editor, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(editor.RegisteredList()->rowCount(), 2);
        QCOMPARE(editor.Registered()[0].GetState(), FalseRectState::Added);

        // Tab steps through the registered rectangles; the removal of the stored one is undone too.
        QTest::keyClick(&editor, Qt::Key_Tab);
        QTest::keyClick(&editor, Qt::Key_Tab);
        QCOMPARE(editor.RegisteredSelection(), 4);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        editor.DeleteButton()->click();
        QCOMPARE(editor.Registered()[4].GetState(), FalseRectState::Removed);
        editor.EditAids().UndoButton()->click();
        QCOMPARE(editor.Registered()[4].GetState(), FalseRectState::Stored);
        QCOMPARE(editor.Registered()[4].GetRect(), (Rect{100, 100, 200, 200}));

        // OK hands back what the history left.
        editor.OkButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.Registered()[0].GetRect(), registered);
        QCOMPARE(editor.Registered()[4].GetState(), FalseRectState::Stored);
    }

    void aNewRunEndsTheHistory() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CFalseRectDlg editor(&sensor.session, &sensor.owner, EmptyRects());
        QVERIFY(ShowActiveAndLoad(editor));
        RegisterFirstCandidate(editor);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes); // a new run drops the registration
        editor.UpdateImageButton()->click();
        QTRY_COMPARE(editor.Registered()[0].GetRect(), UNSET_RECT);
        QTRY_VERIFY(!editor.EditAids().UndoButton()->isEnabled());
    }

    void unappliedRegistrationsDoNotOutliveANewRun() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CFalseRectArea> page = EmptyRects();
        page[0].SetRect({10, 10, 60, 60});
        {
            CFalseRectDlg editor(&sensor.session, &sensor.owner, page);
            QVERIFY(ShowAndLoad(editor));
            RegisterFirstCandidate(editor);
            QCOMPARE(editor.Registered()[1].GetState(), FalseRectState::Added);

            // Updating the picture asks first; No keeps the registration.
            COrgMessageBox::PresetAnswer(MessageAnswer::No);
            editor.UpdateImageButton()->click();
            QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(1126)});
            QCoreApplication::processEvents();
            QCOMPARE(editor.Registered()[1].GetState(), FalseRectState::Added);
            // Yes: the next run drops it.
            COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
            editor.UpdateImageButton()->click();
            QTRY_COMPARE(editor.Registered()[1].GetState(), FalseRectState::Removed);
            QCOMPARE(editor.Registered()[0].GetState(), FalseRectState::Stored);
            QCOMPARE(editor.RegisteredList()->rowCount(), 1);

            RegisterFirstCandidate(editor);
            editor.OkButton()->click();
            QCOMPARE(editor.result(), int(QDialog::Accepted));
            page = editor.Registered();
        }
        QCOMPARE(page[1].GetState(), FalseRectState::Added);

        // The page asks before opening again: No keeps the unapplied rectangle and opens nothing.
        const std::vector<CFalseRectArea> before = page;
        COrgMessageBox::ResetPresets();
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QVERIFY(!CFalseRectDlg::ConfirmOpening(&sensor.owner, page));
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(1127)});
        QCOMPARE(page[1].GetState(), FalseRectState::Added);
        QCOMPARE(page[1].GetRect(), before[1].GetRect());

        // Yes makes it a pending removal, which stays when the editor is then cancelled.
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        QVERIFY(CFalseRectDlg::ConfirmOpening(&sensor.owner, page));
        QCOMPARE(page[1].GetState(), FalseRectState::Removed);
        QVERIFY(!page[1].IsSet());
        QCOMPARE(page[0].GetState(), FalseRectState::Stored);
        {
            CFalseRectDlg editor(&sensor.session, &sensor.owner, page);
            QVERIFY(ShowAndLoad(editor));
            QCOMPARE(editor.RegisteredList()->rowCount(), 1);
            editor.CancelButton()->click();
            QCOMPARE(editor.result(), int(QDialog::Rejected));
        }
        QCOMPARE(page[1].GetState(), FalseRectState::Removed);

        // Nothing unapplied: no question.
        COrgMessageBox::ResetPresets();
        QVERIFY(CFalseRectDlg::ConfirmOpening(&sensor.owner, page));
        QVERIFY(COrgMessageBox::AnsweredTexts().isEmpty());
    }

    void aClickOnThePictureSelectsCandidatesFirst() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        const Rect plant = StationaryDetection(sensor.session);
        QVERIFY(!IsUnset(plant));
        // A registered rectangle around the plant: the plant itself stays a candidate.
        const Rect around{plant.left - 60, plant.top - 60, plant.right + 60, plant.bottom + 60};
        std::vector<CFalseRectArea> rects = EmptyRects();
        rects[2].SetRect(around);
        CFalseRectDlg editor(&sensor.session, &sensor.owner, rects);
        QVERIFY(ShowAndLoad(editor));
        QVERIFY(Offered(editor, plant));

        const QPoint onPlant = ClientCentre(editor, plant);
        Press(editor, onPlant);
        Release(editor, onPlant);
        const int candidate = editor.CandidateSelection();
        QVERIFY(candidate >= 0);
        QCOMPARE(editor.Candidates()[static_cast<std::size_t>(candidate)].rect, plant);
        QCOMPARE(editor.CandidateList()->SelectedRow(), editor.CandidateList()->FindByValue(candidate));
        QCOMPARE(editor.RegisteredSelection(), -1);
        QVERIFY(editor.RegisterButton()->isEnabled());

        // In the band between the plant and the registered rectangle: the registered one.
        const QPoint inBand = ClientCentre(editor, {around.left, plant.top, plant.left, plant.bottom});
        Press(editor, inBand);
        Release(editor, inBand);
        QCOMPARE(editor.CandidateSelection(), -1);
        QCOMPARE(editor.RegisteredSelection(), 2);
        QCOMPARE(editor.RegisteredList()->SelectedRow(), 0);
        QCOMPARE(editor.CandidateList()->SelectedRow(), -1);

        // A press that moves before the release selects nothing; the old selection is kept.
        Press(editor, onPlant);
        MoveTo(editor, onPlant + QPoint(5, 0));
        Release(editor, onPlant + QPoint(5, 0));
        QCOMPARE(editor.CandidateSelection(), -1);
        QCOMPARE(editor.RegisteredSelection(), 2);

        // A press outside the display box deselects both lists.
        Press(editor, QPoint(700, 660));
        QCOMPARE(editor.RegisteredSelection(), -1);
        QCOMPARE(editor.RegisteredList()->SelectedRow(), -1);
        QVERIFY(!editor.DeleteButton()->isEnabled());
    }

    void outlinesUseTheirPens() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        CFalseRectDlg editor(&sensor.session, &sensor.owner, EmptyRects());
        QVERIFY(ShowActiveAndLoad(editor));
        QVERIFY(editor.Candidates().size() >= 2);
        const Rect registered = RegisterFirstCandidate(editor);
        ClickCell(*editor.CandidateList(), 0);
        const Rect selected = editor.Candidates()[static_cast<std::size_t>(editor.CandidateSelection())].rect;
        editor.repaint();
        const QImage& surface = editor.WorkSurface();
        // The left edge's middle of each outline, in work surface pixels.
        const auto leftEdge = [&editor](const Rect& sensorRect) {
            const Rect pixels = editor.ToPicturePixels(sensorRect);
            const double zoom = 600.0 / 320;
            return QPoint(static_cast<int>(pixels.left * zoom),
                          75 + static_cast<int>((pixels.top + pixels.bottom) / 2 * zoom));
        };
        QCOMPARE(surface.pixelColor(leftEdge(registered)), QColor(0, 176, 240));
        QCOMPARE(surface.pixelColor(leftEdge(selected)), QColor(237, 125, 49));
        for (const FalseRectCandidate& candidate : editor.Candidates()) {
            if (candidate.listed && candidate.rect != selected && Overlap(candidate.rect, selected) == 0 &&
                Overlap(candidate.rect, registered) == 0) {
                QCOMPARE(surface.pixelColor(leftEdge(candidate.rect)), QColor(141, 201, 77));
            }
        }
        ClickCell(*editor.RegisteredList(), 0);
        editor.repaint();
        QCOMPARE(editor.WorkSurface().pixelColor(leftEdge(registered)), QColor(255, 0, 0));
        QCOMPARE(editor.WorkSurface().pixelColor(leftEdge(selected)), QColor(141, 201, 77));
    }

    // End to end: a live candidate registered in the editor and applied is reported by the sensor's
    // next detection run as a false detection.
    void aRegisteredCandidateIsExcludedByTheSensor() {
        SimulatedSensor sensor;
        QVERIFY(sensor.started);
        std::vector<CFalseRectArea> page;
        QCOMPARE(ReadFalseRects(sensor.session, page), RC_OK);
        CFalseRectDlg editor(&sensor.session, &sensor.owner, page);
        QVERIFY(ShowAndLoad(editor));
        const Rect registered = RegisterFirstCandidate(editor);
        editor.OkButton()->click();
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.CurrentPicture().Width(), 320);

        QCOMPARE(ApplyFalseRects(sensor.session, editor.Registered()), RC_OK);
        const sim::SensorSettings stored = sensor.simulator->settings();
        QCOMPARE(stored.falseRects[0].left, registered.left);
        QCOMPARE(stored.falseRects[0].right, registered.right);
        QVERIFY(!stored.falseRects[1].isSet());

        const std::vector<DetectionResult> next = DetectNow(sensor.session);
        int matched = 0;
        for (const DetectionResult& result : next) {
            if (Overlap(CDetectionRunDlgBase::RectOf(result), registered) >= 0.5) {
                ++matched;
                QCOMPARE(result.excludedAsFalseDetection, 1);
            }
        }
        QCOMPARE(matched, 1);
        std::vector<CFalseRectArea> readBack;
        QCOMPARE(ReadFalseRects(sensor.session, readBack), RC_OK);
        QCOMPARE(readBack[0].GetRect(), registered);
        QCOMPARE(readBack[0].GetState(), FalseRectState::Stored);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::FalseRectDlgTest)
#include "FalseRectDlgTest.moc"
