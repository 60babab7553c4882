#include "core/device/SettingsTransfer.h"
#include "core/settingsfile/SettingsFile.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/editors/DetectAreaList.h"
#include "gui/editors/DetectAreaSettingDlg.h"
#include "gui/editors/FalseRectDlg.h"
#include "gui/editors/MotionMaskSettingDlg.h"
#include "gui/editors/SizeSettingDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgListCtrl.h"
#include "gui/uikit/RangeEdit.h"
#include "tests/gui/settings/EditorSteps.h"
#include "tests/gui/settings/MonitoredWindow.h"

#include <chrono>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::DragOn;
using test::DrawAndClose;
using test::DrawnSensorRect;
using test::ModalDriver;
using test::OnLoadedEditor;
using test::PageFixture;
using test::Text;

constexpr int MSG_DIRECTION_CHANGED = 1140;
constexpr int MSG_CONFIRM_INITIALIZE = 1124;
constexpr int MSG_CONFIRM_WRITE = 1125;
// Generous: the machine may be busy with builds.
constexpr int SLOW = 30000;

sim::Rect16 Stored(const Rect& rect) {
    return {static_cast<std::int16_t>(rect.left), static_cast<std::int16_t>(rect.top),
            static_cast<std::int16_t>(rect.right), static_cast<std::int16_t>(rect.bottom)};
}

void ClickRow(COrgListCtrl& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row, 0)).center());
}

// Presses the handle just inside a corner of the tracked rectangle and drags it to `to`.
void DragCorner(CDetectAreaSettingDlg& editor, bool topLeft, QPoint to) {
    const Rect tracked = editor.TrackerRect();
    const QPoint handle =
        topLeft ? QPoint(tracked.left + 4, tracked.top + 4) : QPoint(tracked.right - 5, tracked.bottom - 5);
    DragOn(editor, handle, to);
}

void PickArea(CDetectAreaSettingDlg& editor, int row) {
    QTest::mousePress(editor.AreaList(), Qt::LeftButton, {}, editor.AreaList()->ItemRect(row).center());
    QCoreApplication::processEvents();
}

} // namespace

// One sensor installed from the desktop tool alone, as the user's guide walks through it: every
// setting made on the pages and in the editors, backed up, the sensor initialised and restored
// from the backup, which then matches the sensor again.
class WalkthroughTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void InstallBackUpInitialiseAndRestore() {
        sim::SimConfig config;
        config.restartSilence = 500ms;
        test::MonitoredWindow monitored(config);
        QVERIFY(monitored.started);
        sim::Simulator& simulator = monitored.simulator;
        CHomeDlg* home = monitored.home;
        PageFixture& f = *monitored.fixture;

        // Connect: the monitoring page shows the live picture.
        QTRY_VERIFY_WITH_TIMEOUT(home->IsMonitoring(), SLOW);

        // Camera page: the sensor turned by half a turn (the picture stays landscape).
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        QVERIFY(!home->IsMonitoring());
        f.camera->DirectionButton(2)->click();
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.camera->ClickApply();
        QCOMPARE(f.camera->LastResult(), RC_OK);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_DIRECTION_CHANGED)});
        QCOMPARE(simulator.settings().direction, 2);

        // Detection page: threshold, size mask from its editor, one area mask, one motion mask.
        f.ShowPage(PageId::Detection);
        QCOMPARE(f.window->CurrentPage(), PageId::Detection);
        CDetectSettingDlg& page = *f.detection;
        QCOMPARE(page.LastResult(), RC_OK);
        page.ThresholdEdit()->setText(QStringLiteral("450"));
        ModalDriver driver;
        driver.Then(OnLoadedEditor<CSizeSettingDlg>([](CSizeSettingDlg& editor) {
            editor.MinimumField()->SetInt(40);
            editor.MaximumField()->SetInt(1200);
            editor.OkButton()->click();
        }));
        page.SizeButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
        const QPoint maskFrom(60, 170), maskTo(230, 330);
        driver.Then(DrawAndClose<CAreaSettingDlg>(maskFrom, maskTo, true));
        page.AreaMaskButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
        const QPoint motionFrom(250, 250), motionTo(420, 420);
        driver.Then(DrawAndClose<CMotionMaskSettingDlg>(motionFrom, motionTo, true));
        page.MotionMaskButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);

        // A false detection: a candidate that two fresh runs both offer at the same place stands
        // still (the scene's potted plant); the people walk on.
        std::vector<Rect> firstRun;
        driver.Then(OnLoadedEditor<CFalseRectDlg>([&firstRun](CFalseRectDlg& editor) {
            for (const FalseRectCandidate& candidate : editor.Candidates()) {
                firstRun.push_back(candidate.rect);
            }
            editor.CancelButton()->click();
        }));
        page.FalseRectButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
        QVERIFY(!firstRun.empty());
        std::optional<Rect> registered;
        driver.Then(OnLoadedEditor<CFalseRectDlg>([&](CFalseRectDlg& editor) {
            for (int row = 0; row < editor.CandidateList()->rowCount() && !registered; ++row) {
                ClickRow(*editor.CandidateList(), row);
                const Rect rect =
                    editor.Candidates()[static_cast<std::size_t>(editor.CandidateSelection())].rect;
                if (std::find(firstRun.begin(), firstRun.end(), rect) != firstRun.end()) {
                    editor.RegisterButton()->click();
                    registered = rect;
                }
            }
            editor.OkButton()->click();
        }));
        page.FalseRectButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
        QVERIFY(registered.has_value());

        // Both detection areas: the human area's top-left corner pulled in, the motion area's
        // bottom-right one.
        driver.Then(OnLoadedEditor<CDetectAreaSettingDlg>([](CDetectAreaSettingDlg& editor) {
            PickArea(editor, 0);
            DragCorner(editor, true, {160, 230});
            PickArea(editor, 1);
            DragCorner(editor, false, {470, 480});
            editor.OkButton()->click();
        }));
        page.DetectionAreaButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
        // The edges dragged to the picture's border come back clamped to the frame.
        const Rect human = page.EditedValues().humanArea;
        const Rect motion = page.EditedValues().motionArea;
        QCOMPARE(human.right, 1599);
        QCOMPARE(motion.left, 0);
        QVERIFY(human.left > 0 && motion.right < 1599);

        page.ClickApply();
        QCOMPARE(page.LastResult(), RC_OK);
        const sim::SensorSettings installed = simulator.settings();
        QCOMPARE(installed.threshold, 450);
        QCOMPARE(installed.sizeMin, 40);
        QCOMPARE(installed.sizeMax, 1200);
        QCOMPARE(installed.areaMasks[0].rect, Stored(DrawnSensorRect(maskFrom, maskTo)));
        QCOMPARE(installed.areaMasks[0].judge, sim::kJudgeCentre);
        QCOMPARE(installed.motionMasks[0], Stored(DrawnSensorRect(motionFrom, motionTo)));
        QCOMPARE(installed.falseRects[0], Stored(*registered));
        QCOMPARE(installed.humanArea, Stored(human));
        QCOMPARE(installed.motionArea, Stored(motion));

        // System page: back up, initialise, restore.
        f.ShowPage(PageId::System);
        QCOMPARE(f.window->CurrentPage(), PageId::System);
        const QString backup = f.directory.filePath(QStringLiteral("backup.ini"));
        driver.Then(ModalDriver::ChooseFile(backup));
        f.system->Button(SystemOperation::Save)->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
        QCOMPARE(f.system->LastResult(), RC_OK);
        SettingsRecord fromFile;
        QCOMPARE(ReadSettingsFile(backup.toStdString(), fromFile), 0);

        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        f.system->Button(SystemOperation::Initialize)->click();
        QCOMPARE(f.system->LastResult(), RC_OK);
        QVERIFY(f.Session().IsConnected());
        QCOMPARE(simulator.settings(), sim::SensorSettings{});
        SettingsRecord fromSensor;
        QCOMPARE(ReadSettingsRecord(f.Session(), fromSensor), RC_OK);
        QVERIFY(!DifferentSettings(fromFile, fromSensor).empty());

        driver.Then(ModalDriver::ChooseFile(backup));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        f.system->Button(SystemOperation::Write)->click();
        QTRY_VERIFY_WITH_TIMEOUT(driver.Done(), SLOW);
        QCOMPARE(f.system->LastResult(), RC_OK);

        // What `orloctl diff` compares: nothing differs. The backup holds everything, the
        // false-detection rectangles too.
        QCOMPARE(ReadSettingsRecord(f.Session(), fromSensor), RC_OK);
        const auto differences = DifferentSettings(fromFile, fromSensor);
        for (const SettingsDifference& difference : differences) {
            qWarning("%s: %s / %s", difference.key.c_str(), difference.first.c_str(),
                     difference.second.c_str());
        }
        QVERIFY(differences.empty());
        QVERIFY(fromFile.falseRects.has_value());
        QCOMPARE(simulator.settings(), installed);
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_DIRECTION_CHANGED), Text(MSG_CONFIRM_INITIALIZE),
                                         Text(MSG_CONFIRM_WRITE)}));
        QVERIFY2(f.unexpectedBoxes.isEmpty(), qPrintable(f.unexpectedBoxes.join(QLatin1Char('\n'))));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::WalkthroughTest)
#include "WalkthroughTest.moc"
