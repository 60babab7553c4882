#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SettingsApplyProgress.h"
#include "core/settings/DetectionSettings.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "gui/uikit/OrgMFCButton.h"
#include "gui/uikit/RangeEdit.h"
#include "tests/gui/settings/PageFixture.h"
#include "tests/support/WaitCancel.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>
#include <chrono>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::ModalDriver;
using test::PageFixture;
using test::Text;
using test::WaitCancel;

constexpr int MSG_CANCELLED = 9030;
constexpr int STR_WRITTEN_AND_NOT = 9033;
constexpr int MSG_DIRECTION_CHANGED = 1140;
constexpr int MSG_CONFIRM_RESTART = 1123;
constexpr int MSG_CONFIRM_WRITE = 1125;
// Every wait that these cancels end lasts 30 s or more without one (a delayed picture, the restart's
// silence); a cancel that works ends it within moments, or after the one write in flight.
constexpr long long CancelEndsWithinMs = 5000;

sim::FaultSet Faults(const std::string& list) {
    sim::FaultSet faults;
    std::string error;
    faults.add(list, error);
    return faults;
}

QString Filled(int id, const std::string& first, const std::string& second) {
    return QString::asprintf(Text(id).toUtf8().constData(), first.c_str(), second.c_str());
}

QString CancelledWrites(const std::string& written, const std::string& notWritten) {
    return Text(MSG_CANCELLED) + QLatin1Char('\n') + Filled(STR_WRITTEN_AND_NOT, written, notWritten);
}

// As a user does: click into the edit, select its text and type over it.
void TypeOver(QLineEdit& edit, const QString& text) {
    QTest::mouseClick(&edit, Qt::LeftButton);
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, text);
}

void ClickWithMouse(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// Shows a settings page; its load runs once the simulator has taken `faults`.
void ShowPageWithFaults(PageFixture& f, PageId page, const std::string& faults) {
    f.window->RequestPage(page);
    f.simulator->setFaults(Faults(faults));
    QCoreApplication::sendPostedEvents(f.window->Page(page), MessageType(CSettingBaseDlg::WM_APP_LOAD));
}

int Count(const std::vector<std::uint8_t>& codes, std::uint8_t code) {
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

// A threshold other than `threshold`, inside the page's range.
int OtherThreshold(int threshold, int by) {
    return threshold > 500 ? threshold - by : threshold + by;
}

void VerifyCancelEndedSoon(const WaitCancel& cancel) {
    QVERIFY(cancel.Pressed());
    qInfo("ended %lld ms after 中止", cancel.MsSincePress());
    QVERIFY(cancel.MsSincePress() < CancelEndsWithinMs);
}

// Gone home after the link was cut: the monitoring page, the settings pages out of reach.
void VerifyWentHomeDisconnected(PageFixture& f) {
    QVERIFY(!f.Session().IsConnected());
    f.DeliverPosted();
    QCOMPARE(f.window->CurrentPage(), PageId::Home);
    QVERIFY(!f.window->NavigationButton(PageId::Detection)->isEnabled());
}

} // namespace

// "中止" on the wait dialog of the settings pages, the region editors and the system page, against the
// simulator: reads and waits end at once with the page as a failure leaves it, writes stop before the
// next write and say what reached the sensor.
class CancelTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void aCancelledLoadKeepsWhatThePageShowedAndGoesHome() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::Detection);
        const QString shown = f.detection->ThresholdEdit()->text();
        QCOMPARE(shown.toInt(), f.simulator->settings().threshold);
        f.ShowPage(PageId::System);

        // The sensor's threshold changes behind the page's back: a load that kept part of what it
        // read would show the new one.
        const int other = OtherThreshold(shown.toInt(), 37);
        QCOMPARE(
            SetThreshold(f.Session(), DeviceSession::CommandTimeoutMs, static_cast<std::uint16_t>(other)),
            RC_OK);
        QCOMPARE(f.simulator->settings().threshold, other);

        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        WaitCancel cancel;
        // The values come; the picture, last, does not.
        ShowPageWithFaults(f, PageId::Detection, "delay=30000@0x03");
        VerifyCancelEndedSoon(cancel);
        QCOMPARE(f.detection->LastResult(), RC_CANCELLED);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_CANCELLED)});
        QCOMPARE(f.detection->ThresholdEdit()->text(), shown);
        QCOMPARE(f.detection->EditedValues().threshold, shown.toInt());
        VerifyWentHomeDisconnected(f);
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void aCancelledApplyStopsBeforeTheNextWriteAndShowsWhatTheSensorHolds() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::Detection);
        const int typed = OtherThreshold(f.detection->ThresholdEdit()->text().toInt(), 11);
        TypeOver(*f.detection->ThresholdEdit(), QString::number(typed));
        // The first area mask's write takes 0.8 s (within its 1 s time-out): the press comes while it is on
        // the wire.
        f.simulator->setFaults(Faults("delay=800@0x61"));
        f.requests.Clear();
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        WaitCancel cancel(300ms);
        ClickWithMouse(f.detection->ApplyButton());
        VerifyCancelEndedSoon(cancel);

        const std::string written = std::string(write_name::Threshold) + " to " + write_name::AreaMask(0);
        const std::string notWritten = write_name::AreaMask(1) + " to " + write_name::MotionDetectionArea;
        QCOMPARE(f.Shown(), QStringList{CancelledWrites(written, notWritten)});
        // The write in flight was finished, none followed, and the page was read again.
        QCOMPARE(Count(f.requests.Codes(), 0x61), 1);
        QVERIFY(Count(f.requests.Codes(), 0x62) >= 16);
        QVERIFY(f.Session().IsConnected());
        QCOMPARE(f.window->CurrentPage(), PageId::Detection);
        QCOMPARE(f.simulator->settings().threshold, typed);
        QCOMPARE(f.detection->ThresholdEdit()->text(), QString::number(typed));

        // Nothing is left pending, and the next apply goes through to the end.
        f.simulator->setFaults({});
        const int again = OtherThreshold(typed, 5);
        TypeOver(*f.detection->ThresholdEdit(), QString::number(again));
        ClickWithMouse(f.detection->ApplyButton());
        QCOMPARE(f.detection->LastResult(), RC_OK);
        QCOMPARE(f.simulator->settings().threshold, again);
        QCOMPARE(f.Shown().size(), 1);
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void aCancelledCameraApplyNamesTheDirectionWrittenAndTheModeNot() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.camera->SelectedDirection(), 0);
        QVERIFY(f.camera->ModeList()->count() > 0);
        QTest::mouseClick(f.camera->DirectionButton(1), Qt::LeftButton);
        f.simulator->setFaults(Faults("delay=800@0x01"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok); // the direction has changed
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        WaitCancel cancel(300ms);
        ClickWithMouse(f.camera->ApplyButton());
        VerifyCancelEndedSoon(cancel);
        QCOMPARE(f.Shown(),
                 (QStringList{Text(MSG_DIRECTION_CHANGED),
                              CancelledWrites(write_name::MountingDirection, write_name::OperatingMode)}));
        QCOMPARE(f.simulator->settings().direction, 1);
        QCOMPARE(f.camera->SelectedDirection(), 1);
        QCOMPARE(f.Session().Portrait(), 1); // read again with the direction
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
    }

    void aCancelledEditorLoadClosesTheEditorAsCancelAndGoesHome() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::Detection);
        const DetectionValues before = f.detection->EditedValues();
        f.simulator->setFaults(Faults("delay=30000@0x03"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        WaitCancel cancel;
        // The wait dialog pressed is the editor's own.
        bool editorWaited = false;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&editorWaited] {
            const QWidget* modal = QApplication::activeModalWidget();
            editorWaited = editorWaited || (qobject_cast<const CWaitDlg*>(modal) != nullptr &&
                                            qobject_cast<CAreaSettingDlg*>(modal->parentWidget()) != nullptr);
        });
        watch.start(5);
        ClickWithMouse(f.detection->AreaMaskButton()); // returns once the editor has ended
        VerifyCancelEndedSoon(cancel);
        QVERIFY(editorWaited);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_CANCELLED)});
        QVERIFY(SameDetectionValues(f.detection->EditedValues(), before));
        QVERIFY(f.detection->CurrentPicture().HasPixels()); // the page keeps the picture it had
        VerifyWentHomeDisconnected(f);
    }

    void aCancelledWaitForARestartedSensorGoesHome() {
        PageFixture f;
        sim::SimConfig config;
        config.restartSilence = 60s;
        QVERIFY(f.ConnectSimulator(config));
        f.ShowPage(PageId::System);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        WaitCancel cancel(1200ms);
        ClickWithMouse(f.system->Button(SystemOperation::Restart));
        VerifyCancelEndedSoon(cancel);
        QCOMPARE(f.system->LastResult(), RC_CANCELLED);
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_CONFIRM_RESTART), Text(MSG_CANCELLED)}));
        // The 150 s the restart may take were shown with the time already waited.
        qInfo("the wait dialog showed \"%s\"", qPrintable(cancel.ElapsedAtPress()));
        const auto [waited, nominal] = test::ElapsedSeconds(cancel.ElapsedAtPress());
        QVERIFY(waited >= 1);
        QCOMPARE(nominal, 150);
        QCOMPARE(f.requests.Codes().front(), 0xFF);
        VerifyWentHomeDisconnected(f);
    }

    void aCancelledFileWriteSaysWhatWasWrittenAndKeepsTheLink() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        const QString file = f.directory.filePath(QStringLiteral("backup.ini"));
        ModalDriver driver;
        driver.Then(ModalDriver::ChooseFile(file));
        ClickWithMouse(f.system->Button(SystemOperation::Save));
        QVERIFY(driver.Done());
        QCOMPARE(f.system->LastResult(), RC_OK);

        f.simulator->setFaults(Faults("delay=800@0x61"));
        f.requests.Clear();
        driver.Then(ModalDriver::ChooseFile(file));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        WaitCancel cancel(300ms);
        ClickWithMouse(f.system->Button(SystemOperation::Write));
        QVERIFY(driver.Done());
        VerifyCancelEndedSoon(cancel);
        QCOMPARE(f.system->LastResult(), RC_CANCELLED);
        const std::string written =
            std::string(write_name::MountingDirection) + " to " + write_name::AreaMask(0);
        const std::string notWritten = write_name::AreaMask(1) + " to OrloSetupFalseRect.Rect10";
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_CONFIRM_WRITE), CancelledWrites(written, notWritten)}));
        QCOMPARE(Count(f.requests.Codes(), 0x61), 1);
        QVERIFY(f.Session().IsConnected());
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::System);
    }

    void aCancelledReportWritesNoFileAndGoesHome() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        f.simulator->setFaults(Faults("delay=30000@0x03")); // the picture, read after the settings
        const QString file = f.directory.filePath(QStringLiteral("report.html"));
        ModalDriver driver;
        driver.Then(ModalDriver::AcceptReportDetails()).Then(ModalDriver::ChooseFile(file));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        WaitCancel cancel;
        ClickWithMouse(f.system->Button(SystemOperation::Report));
        QVERIFY(driver.Done());
        VerifyCancelEndedSoon(cancel);
        QCOMPARE(f.system->LastResult(), RC_CANCELLED);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_CANCELLED)});
        QVERIFY(!QFile::exists(file));
        VerifyWentHomeDisconnected(f);
    }

    void theSaveRunsToItsEndWithoutACancel() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        bool offered = true;
        ModalDriver driver;
        driver.Then(ModalDriver::ChooseFile(f.directory.filePath(QStringLiteral("backup.ini"))))
            .Then([&offered](QWidget* modal) {
                auto* wait = qobject_cast<CWaitDlg*>(modal);
                if (wait == nullptr) {
                    return false;
                }
                offered = wait->CancelButton()->isVisible();
                return true;
            });
        f.simulator->setFaults(Faults("delay=300@0x02")); // long enough to be seen
        ClickWithMouse(f.system->Button(SystemOperation::Save));
        QVERIFY(driver.Done());
        QVERIFY(!offered);
        QCOMPARE(f.system->LastResult(), RC_OK);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::CancelTest)
#include "CancelTest.moc"
