#include "gui/settings/DetectSettingDlg.h"

#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/DetectAreaList.h"
#include "gui/editors/DetectAreaSettingDlg.h"
#include "gui/editors/MotionMaskSettingDlg.h"
#include "gui/editors/SizeSettingDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/RangeEdit.h"
#include "gui/uikit/SpinButton.h"
#include "tests/gui/settings/EditorSteps.h"
#include "tests/gui/settings/PageFixture.h"
#include "tests/support/DetectionCodes.h"

#include <QToolButton>
#include <atomic>
#include <fstream>
#include <future>

namespace orlo {
namespace {

using test::Codes;
using test::Concat;
using test::DrawAndClose;
using test::DrawnSensorRect;
using test::FakeSensor;
using test::ModalDriver;
using test::PageFixture;
using test::Text;
const Codes& LOAD = test::DETECTION_LOAD;
const Codes& APPLY = test::DETECTION_APPLY;

constexpr int MSG_APPLY_MISMATCH = 1103;
constexpr int MSG_TIMEOUT = 1104;
constexpr int MSG_SIZE_MASK_INVALID = 1111;
constexpr int MSG_SEND_FAILED = 1112;
constexpr int MSG_LEAVE_UNAPPLIED = 1120;

QColor PreviewPixel(const CDetectSettingDlg& page, PreviewPanel panel, QPoint at) {
    return page.Previews().Surface(panel).pixelColor(at);
}

void Type(CRangeEdit* edit, int value) {
    edit->setText(QString::number(value));
}

} // namespace

class DetectSettingDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void LoadShowsTheSensorsValuesAndPreviews() {
        PageFixture f;
        f.AttachFake();
        f.sensor.threshold = 321;
        f.sensor.sizeMinimum = 30;
        f.sensor.sizeMaximum = 900;
        f.sensor.areaMasks[0] = {{160, 120, 800, 600}, 0x80};
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        QCOMPARE(f.sensor.Codes(), LOAD);
        QCOMPARE(page.LastResult(), RC_OK);
        QCOMPARE(page.ThresholdEdit()->text(), QStringLiteral("321"));
        QCOMPARE(page.SizeMinimumEdit()->text(), QStringLiteral("30"));
        QCOMPARE(page.SizeMaximumEdit()->text(), QStringLiteral("900"));
        QCOMPARE(page.CurrentPicture().Width(), FakeSensor::PictureWidth);
        QCOMPARE(page.EditedValues().humanArea, (Rect{100, 200, 300, 400}));
        QVERIFY(!page.SettingsAbnormal());
        QVERIFY(page.CanLeavePage());
        QVERIFY(f.Shown().isEmpty());

        // The picture fills 260 x 195 from (0, 33); black above it.
        QCOMPARE(page.Previews().PictureTransform().offsetY, 33);
        QCOMPARE(PreviewPixel(page, PreviewPanel::AreaMasks, {130, 10}), QColor(Qt::black));
        QVERIFY(PreviewPixel(page, PreviewPanel::AreaMasks, {250, 200}) != QColor(Qt::black));
        // Mask 0 covers (26, 52)..(130, 130) of the area-mask preview: the picture shows through
        // lightened; the false-detection preview has no rectangle there.
        const QColor masked = PreviewPixel(page, PreviewPanel::AreaMasks, {40, 60});
        const QColor plain = PreviewPixel(page, PreviewPanel::FalseRects, {40, 60});
        QVERIFY2(masked.red() > plain.red() + 20 && masked.red() < 250, qPrintable(masked.name()));
        QCOMPARE(PreviewPixel(page, PreviewPanel::AreaMasks, {140, 60}),
                 PreviewPixel(page, PreviewPanel::FalseRects, {140, 60}));

        // The panels show the previews 1:1.
        const QImage shown = page.grab().toImage();
        const QRect panel = page.PanelRect(PreviewPanel::AreaMasks);
        QCOMPARE(panel.size(), QSize(260, 260));
        QCOMPARE(shown.pixelColor(panel.topLeft() + QPoint(40, 60)), masked);
        const QRect motion = page.PanelRect(PreviewPanel::MotionMasks);
        QCOMPARE(motion.left() - panel.right() - 1, 32);
        QVERIFY(motion.top() > panel.bottom() + page.MotionMaskButton()->height());
        // Nothing lies outside the page, and "反映" lies below the lower panel buttons.
        QVERIFY(page.rect().contains(page.ApplyButton()->geometry()));
        QVERIFY(page.ApplyButton()->y() > page.MotionMaskButton()->geometry().bottom());
        QVERIFY(page.rect().contains(page.SizeButton()->geometry()));
    }

    void SpinsStepWithinTheirRanges() {
        PageFixture f;
        f.AttachFake();
        f.sensor.threshold = 1000;
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        page.ThresholdSpin()->UpButton()->click();
        QCOMPARE(page.ThresholdEdit()->text(), QStringLiteral("1000"));
        page.ThresholdSpin()->DownButton()->click();
        QCOMPARE(page.ThresholdEdit()->text(), QStringLiteral("999"));
        // A typed value out of the size range is replaced by the nearer limit when the edit loses the
        // focus.
        for (const auto& [typed, shown] : {std::pair{5000, "1600"}, std::pair{5, "20"}}) {
            Type(page.SizeMaximumEdit(), typed);
            QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(page.SizeMaximumEdit(), &focusOut);
            QCOMPARE(page.SizeMaximumEdit()->text(), QString::fromLatin1(shown));
        }
    }

    void AnInvalidSizeMaskSendsNothingAndAnEqualPairIsApplied() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        f.sensor.ClearCodes();
        Type(page.SizeMinimumEdit(), 500);
        Type(page.SizeMaximumEdit(), 400);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        page.ClickApply();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_SIZE_MASK_INVALID)});
        QVERIFY(f.sensor.Codes().empty());
        QCOMPARE(page.SizeMinimumEdit()->text(), QStringLiteral("500"));

        Type(page.SizeMinimumEdit(), 400);
        page.ClickApply();
        QCOMPARE(f.Shown().size(), 1);
        QCOMPARE(f.sensor.Codes(), Concat({APPLY, LOAD}));
        QCOMPARE(f.sensor.sizeMinimum, 400);
        QCOMPARE(f.sensor.sizeMaximum, 400);
        QVERIFY(page.CanLeavePage());
    }

    // A key mistyped in the threshold is refused as it is typed: the sensor receives the number the
    // user meant, and letters alone leave the value as it was.
    void ATypoInTheThresholdNeverReachesTheSensor() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        f.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        CRangeEdit* edit = page.ThresholdEdit();
        QCOMPARE(edit->text(), QString::number(f.simulator->settings().threshold));
        // A click into the edit selects the whole value; typing replaces it.
        QTest::mouseClick(edit, Qt::LeftButton);
        QTRY_COMPARE(edit->selectedText(), edit->text());
        QTest::keyClicks(edit, QStringLiteral("4x5"));
        QTest::mouseClick(page.ApplyButton(), Qt::LeftButton);
        QCOMPARE(page.LastResult(), RC_OK);
        QCOMPARE(f.simulator->settings().threshold, 45);
        QCOMPARE(edit->text(), QStringLiteral("45"));

        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QTest::mouseClick(page.ApplyButton(), Qt::LeftButton);
        QCOMPARE(page.LastResult(), RC_OK);
        QCOMPARE(f.simulator->settings().threshold, 45);
        QCOMPARE(edit->text(), QStringLiteral("45"));
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void AThresholdOfZeroIsShownAsOneAndCountsAsChanged() {
        PageFixture f;
        f.AttachFake();
        f.sensor.threshold = 0;
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        QCOMPARE(page.ThresholdEdit()->text(), QStringLiteral("1"));
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QVERIFY(!page.CanLeavePage());
        QCOMPARE(f.Shown(), QStringList{Text(MSG_LEAVE_UNAPPLIED)});
        f.sensor.ClearCodes();
        page.ClickApply();
        QCOMPARE(f.sensor.Codes(), Concat({APPLY, LOAD}));
        QCOMPARE(f.sensor.LastPayload(0x05), (FakeSensor::Bytes{1, 0, 0, 0, 0, 0, 0, 0}));
        QCOMPARE(f.sensor.threshold, 1);
        QVERIFY(page.CanLeavePage());
    }

    void WithoutChangesNothingIsSentUnlessTheSettingsWereAbnormal() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        f.sensor.ClearCodes();
        page.ClickApply();
        QVERIFY(f.sensor.Codes().empty());
        QVERIFY(f.Shown().isEmpty());

        // The load's picture answered with status 0x50: not an error, but the next apply sends all.
        f.window->RequestPage(PageId::System);
        f.sensor.status[0x03] = 0x50;
        f.ShowPage(PageId::Detection);
        QCOMPARE(page.LastResult(), RC_OK);
        QVERIFY(page.SettingsAbnormal());
        QVERIFY(f.Shown().isEmpty());
        QVERIFY(page.CanLeavePage()); // leaving is asked about edits only
        f.sensor.status.clear();
        f.sensor.ClearCodes();
        page.ClickApply();
        QCOMPARE(f.sensor.Codes(), Concat({APPLY, LOAD}));
        QVERIFY(!page.SettingsAbnormal());
        QVERIFY(f.Shown().isEmpty());
    }

    void AReadBackDifferenceShows1103AndKeepsTheEdits() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        f.sensor.storeThreshold = [](std::uint16_t) { return std::uint16_t{999}; };
        f.sensor.ClearCodes();
        Type(page.ThresholdEdit(), 400);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        page.ClickApply();
        QCOMPARE(page.LastResult(), RC_VERIFY_MISMATCH);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_APPLY_MISMATCH)});
        QCOMPARE(f.sensor.Codes(), (Codes{0x05, 0x06}));
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Detection);
        QVERIFY(f.Session().IsConnected());
        QCOMPARE(page.ThresholdEdit()->text(), QStringLiteral("400"));
        // The sensor's values are still those of the load, so the edit is still unapplied.
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QVERIFY(!page.CanLeavePage());
    }

    void ALoadTimeOutOrLostLinkGoesHome() {
        for (const bool timeout : {true, false}) {
            PageFixture f;
            f.AttachFake();
            if (timeout) {
                f.sensor.silent = {0x62};
            } else {
                f.link.FailNextSend(0);
            }
            COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
            f.ShowPage(PageId::Detection);
            QCOMPARE(f.detection->LastResult(), timeout ? RC_TIMEOUT : RC_SEND_FAILED);
            QCOMPARE(f.Shown(), QStringList{Text(timeout ? MSG_TIMEOUT : MSG_SEND_FAILED)});
            f.DeliverPosted();
            QCOMPARE(f.window->CurrentPage(), PageId::Home);
            QVERIFY(!f.Session().IsConnected());
        }
    }

    void AShortResponseStaysWithThePreviousValues() {
        PageFixture f;
        f.AttachFake();
        f.sensor.threshold = 250;
        f.ShowPage(PageId::Detection);
        f.window->RequestPage(PageId::System);
        f.sensor.threshold = 260;
        f.sensor.ClearCodes();
        f.link.QueueResponse(test::ResponseFrame(0x00, {0x04})); // one byte of the threshold
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.ShowPage(PageId::Detection);
        QCOMPARE(f.detection->LastResult(), RC_SHORT_RESPONSE);
        QCOMPARE(f.sensor.Codes(), (Codes{0x06}));
        QCOMPARE(f.Shown(), QStringList{Text(1110).replace(QStringLiteral("%d"), QStringLiteral("-102"))});
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Detection);
        QVERIFY(f.Session().IsConnected());
        QCOMPARE(f.detection->ThresholdEdit()->text(), QStringLiteral("250"));
        QVERIFY(f.detection->CanLeavePage());
    }

    void AnEditorsOkHandsItsMasksToThePageAndCancelKeepsThePages() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        const QImage before = page.Previews().Surface(PreviewPanel::AreaMasks).copy();
        f.sensor.ClearCodes();

        ModalDriver driver;
        driver.Then(DrawAndClose<CAreaSettingDlg>({108, 173}, {308, 373}, true));
        page.AreaMaskButton()->click();
        QVERIFY(driver.Done());
        // The editor asked only for its picture; nothing is written before "反映".
        QCOMPARE(f.sensor.Codes(), (Codes{0x03}));
        const CAreaMaskArea& mask = page.EditedValues().areaMasks[0];
        QCOMPARE(mask.GetRect(), DrawnSensorRect({108, 173}, {308, 373}));
        QCOMPARE(mask.GetJudge(), AreaJudge::CenterPoint);
        QVERIFY(page.Previews().Surface(PreviewPanel::AreaMasks) != before);
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QVERIFY(!page.CanLeavePage());

        driver.Then(DrawAndClose<CMotionMaskSettingDlg>({400, 400}, {500, 500}, false));
        page.MotionMaskButton()->click();
        QVERIFY(driver.Done());
        QVERIFY(!page.EditedValues().motionMasks[0].IsSet());
        driver.Then(DrawAndClose<CMotionMaskSettingDlg>({400, 400}, {500, 500}, true));
        page.MotionMaskButton()->click();
        QCOMPARE(page.EditedValues().motionMasks[0].GetRect(), DrawnSensorRect({400, 400}, {500, 500}));

        f.sensor.ClearCodes();
        page.ClickApply();
        QCOMPARE(f.sensor.Codes(), Concat({APPLY, LOAD}));
        QCOMPARE(f.sensor.areaMasks[0].judge, 0x80);
        const Rect drawn = DrawnSensorRect({108, 173}, {308, 373});
        QCOMPARE(f.sensor.areaMasks[0].rect, (FakeSensor::Edges{static_cast<std::int16_t>(drawn.left),
                                                                static_cast<std::int16_t>(drawn.top),
                                                                static_cast<std::int16_t>(drawn.right),
                                                                static_cast<std::int16_t>(drawn.bottom)}));
        QVERIFY(page.CanLeavePage());
    }

    void TheSizeEditorsLimitsGoIntoTheEditsUntilApplied() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        const int sensorMinimum = page.EditedValues().sizeMinimum;
        f.sensor.ClearCodes();

        ModalDriver driver;
        driver.Then(test::OnLoadedEditor<CSizeSettingDlg>([](CSizeSettingDlg& editor) {
            editor.MinimumField()->SetInt(120);
            editor.MaximumField()->SetInt(900);
            editor.CancelButton()->click();
        }));
        page.SizeButton()->click();
        QVERIFY(driver.Done());
        QCOMPARE(page.SizeMinimumEdit()->GetInt(), sensorMinimum);

        driver.Then(test::OnLoadedEditor<CSizeSettingDlg>([](CSizeSettingDlg& editor) {
            editor.MinimumField()->SetInt(120);
            editor.MaximumField()->SetInt(900);
            editor.OkButton()->click();
        }));
        page.SizeButton()->click();
        QVERIFY(driver.Done());
        QCOMPARE(page.SizeMinimumEdit()->GetInt(), 120);
        QCOMPARE(page.SizeMaximumEdit()->GetInt(), 900);
        // Only the edits changed: the editor ran detections, nothing was written.
        QCOMPARE(page.EditedValues().sizeMinimum, sensorMinimum);
        QVERIFY(!f.sensor.Codes().empty());
        for (const int code : f.sensor.Codes()) {
            QCOMPARE(code, 0x03);
        }
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QVERIFY(!page.CanLeavePage());

        page.ClickApply();
        QCOMPARE(page.LastResult(), RC_OK);
        QCOMPARE(f.sensor.sizeMinimum, 120);
        QCOMPARE(f.sensor.sizeMaximum, 900);
    }

    void TheDetectionAreaEditorHandsBackBothAreasAndItsOrderCountsAtOnce() {
        PageFixture f;
        f.AttachFake();
        f.sensor.humanArea = {0, 0, 800, 600};
        f.sensor.motionArea = {400, 300, 1200, 900};
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        const QPoint overlap(97, 105);
        const QColor humanOnTop = PreviewPixel(page, PreviewPanel::DetectionAreas, overlap);

        // Moving the human area down the list and cancelling: the order is kept, the areas are not
        // changed, and the preview shows the motion area on top at once.
        ModalDriver driver;
        driver.Then(test::OnLoadedEditor<CDetectAreaSettingDlg>([](CDetectAreaSettingDlg& editor) {
            QTest::mousePress(editor.AreaList(), Qt::LeftButton, {}, editor.AreaList()->ItemRect(0).center());
            QCoreApplication::processEvents();
            editor.DownButton()->click();
            editor.CancelButton()->click();
        }));
        page.DetectionAreaButton()->click();
        QVERIFY(driver.Done());
        const QColor motionOnTop = PreviewPixel(page, PreviewPanel::DetectionAreas, overlap);
        QVERIFY2(motionOnTop.green() > humanOnTop.green() + 10,
                 qPrintable(humanOnTop.name() + QStringLiteral(" ") + motionOnTop.name()));
        QCOMPARE(page.EditedValues().humanArea, (Rect{0, 0, 800, 600}));

        driver.Then(test::OnLoadedEditor<CDetectAreaSettingDlg>(
            [](CDetectAreaSettingDlg& editor) { editor.OkButton()->click(); }));
        page.DetectionAreaButton()->click();
        QVERIFY(driver.Done());
        QCOMPARE(page.EditedValues().humanArea, (Rect{0, 0, 800, 600}));
        QCOMPARE(page.EditedValues().motionArea, (Rect{400, 300, 1200, 900}));
        QVERIFY(page.CanLeavePage());
    }

    void AnEditorThatTimesOutSendsTheWindowHome() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Detection);
        f.sensor.silent = {0x03};
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.detection->AreaMaskButton()->click();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_TIMEOUT)});
        QVERIFY(!f.detection->EditedValues().areaMasks[0].IsSet());
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(!f.Session().IsConnected());
    }

    void DetectionAreasFollowTheConfiguredOrderAndUnsetMeansTheWholeFrame() {
        PageFixture f;
        f.AttachFake();
        f.sensor.humanArea = {0, 0, 800, 600};
        f.sensor.motionArea = {400, 300, 1200, 900};
        f.ShowPage(PageId::Detection);
        // The overlap (400, 300)..(800, 600) lies at preview (65, 81)..(130, 130).
        const QPoint overlap(97, 105);
        const QColor humanOnTop = PreviewPixel(*f.detection, PreviewPanel::DetectionAreas, overlap);
        std::ofstream(QDir(f.directory.path()).filePath(QStringLiteral("Orlo-X1.conf")).toStdString())
            << "[Application]\nDetectAreaOverlap=10\n";
        f.window->RequestPage(PageId::System);
        f.ShowPage(PageId::Detection);
        const QColor motionOnTop = PreviewPixel(*f.detection, PreviewPanel::DetectionAreas, overlap);
        QVERIFY2(motionOnTop.green() > humanOnTop.green() + 10,
                 qPrintable(humanOnTop.name() + QStringLiteral(" ") + motionOnTop.name()));

        // An unset motion area covers the frame: gold far from the human area too.
        f.sensor.motionArea = {-1, -1, -1, -1};
        f.window->RequestPage(PageId::System);
        f.ShowPage(PageId::Detection);
        const QColor tinted = PreviewPixel(*f.detection, PreviewPanel::DetectionAreas, {200, 200});
        const QColor bare = PreviewPixel(*f.detection, PreviewPanel::FalseRects, {200, 200});
        QVERIFY2(tinted.red() > bare.red() + 10 && tinted.green() > bare.green() + 10 &&
                     tinted.blue() < bare.blue(),
                 qPrintable(bare.name() + QStringLiteral(" ") + tinted.name()));
    }

    void PaintingWhileALoadRunsShowsThePreviewsOfBefore() {
        PageFixture f;
        f.AttachFake();
        f.sensor.areaMasks[0] = {{160, 120, 800, 600}, 0x80};
        f.ShowPage(PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        const QImage before = page.Previews().Surface(PreviewPanel::AreaMasks).copy();
        const QRect panel = page.PanelRect(PreviewPanel::AreaMasks);
        f.window->RequestPage(PageId::System);

        f.sensor.areaMasks[0] = {};
        std::promise<void> release;
        const std::shared_future<void> released = release.get_future().share();
        std::atomic<bool> blocked{false};
        f.sensor.beforeAnswer = [&blocked, released](std::uint8_t code) {
            if (code == 0x66) { // the area masks are read, the load not yet done
                blocked = true;
                released.wait();
            }
        };
        QImage painted;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (blocked && painted.isNull()) {
                painted = page.grab(panel).toImage();
                release.set_value();
            }
        });
        poll.start(10);
        f.ShowPage(PageId::Detection);
        QVERIFY(!painted.isNull());
        QCOMPARE(painted.convertToFormat(before.format()), before);
        QVERIFY(page.Previews().Surface(PreviewPanel::AreaMasks) != before); // the mask is gone now
    }
};

} // namespace orlo

QTEST_MAIN(orlo::DetectSettingDlgTest)
#include "DetectSettingDlgTest.moc"
