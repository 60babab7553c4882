#include "gui/settings/CameraDlg.h"

#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgComboBox.h"
#include "tests/gui/settings/PageFixture.h"

#include <fstream>

namespace orlo {
namespace {

using test::PageFixture;
using test::Text;
using Codes = std::vector<std::uint8_t>;

constexpr int MSG_APPLY_MISMATCH = 1103;
constexpr int MSG_TIMEOUT = 1104;
constexpr int MSG_SEND_FAILED = 1112;
constexpr int MSG_LEAVE_UNAPPLIED = 1120;
constexpr int MSG_DIRECTION_CHANGED = 1140;
// The sample list: ids 0, 1, 2 and 5.
constexpr int SAMPLE_MODE_5 = 3;

const Codes LOAD = {0x02, 0x6E, 0x03};

Codes Concat(Codes first, const Codes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

void WriteFile(const QString& path, const std::string& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

} // namespace

class CameraDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void LoadShowsTheSensorsValues() {
        PageFixture f;
        f.AttachFake();
        f.sensor.direction = 2;
        f.sensor.mode = 5;
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.sensor.Codes(), LOAD);
        QCOMPARE(f.camera->LastResult(), RC_OK);
        QCOMPARE(f.camera->SelectedDirection(), 2);
        for (int i = 0; i < CCameraDlg::DIRECTION_COUNT; ++i) {
            QCOMPARE(f.camera->DirectionButton(i)->GetCheckState(), i == 2 ? 1 : 0);
        }
        QCOMPARE(f.camera->ModeList()->currentIndex(), SAMPLE_MODE_5);
        QCOMPARE(f.camera->ModeList()->currentText(), QStringLiteral("高天井モード"));
        QVERIFY(!f.camera->SettingsAbnormal());
        QVERIFY(f.Shown().isEmpty());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void UnchangedApplySendsNothingAndShowsNothing() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Camera);
        f.sensor.ClearCodes();
        // A click on the button already selected changes nothing.
        f.camera->DirectionButton(0)->click();
        f.camera->ClickApply();
        QVERIFY(f.sensor.Codes().empty());
        QVERIFY(f.Shown().isEmpty());
        QVERIFY(f.camera->CanLeavePage());
        QVERIFY(f.Shown().isEmpty());
    }

    void SettingsAbnormalForcesTheWholeApply() {
        PageFixture f;
        f.AttachFake();
        f.sensor.status[0x03] = 0x50;
        f.ShowPage(PageId::Camera);
        QVERIFY(f.camera->SettingsAbnormal());
        QVERIFY(f.Shown().isEmpty()); // the load itself succeeded
        f.sensor.ClearCodes();
        f.sensor.status.clear();
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.camera->ClickApply();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_DIRECTION_CHANGED)});
        QCOMPARE(f.sensor.Codes(), Concat({0x01, 0x02, 0x66, 0x79, 0x6D, 0x6E}, LOAD));
        QVERIFY(!f.camera->SettingsAbnormal()); // the reload saw a healthy sensor
        // Leaving is asked about edits only, never about the abnormal state.
        f.sensor.status[0x03] = 0x50;
        f.ShowPage(PageId::Camera);
        f.window->RequestPage(PageId::System);
        QCOMPARE(f.window->CurrentPage(), PageId::System);
        QCOMPARE(f.Shown().size(), 1);
    }

    void DirectionChangeWarnsAndTurnsTheFrame() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        DeviceSession& session = f.Session();
        QCOMPARE(session.Portrait(), 0);
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.requests.Codes(), LOAD);
        f.requests.Clear();
        f.camera->DirectionButton(3)->click();
        QCOMPARE(f.camera->SelectedDirection(), 3);
        QCOMPARE(f.camera->DirectionButton(0)->GetCheckState(), 0);
        QVERIFY(f.requests.Codes().empty()); // nothing is sent while editing
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.camera->ClickApply();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_DIRECTION_CHANGED)});
        QCOMPARE(f.requests.Codes(), Concat({0x01, 0x02, 0x66, 0x79, 0x6D, 0x6E}, LOAD));
        QCOMPARE(f.simulator->settings().direction, 3);
        QCOMPARE(session.Portrait(), 1);
        QCOMPARE(f.camera->SelectedDirection(), 3);
        QVERIFY(f.camera->CanLeavePage());

        f.camera->DirectionButton(2)->click();
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.camera->ClickApply();
        QCOMPARE(f.simulator->settings().direction, 2);
        QCOMPARE(session.Portrait(), 0);
    }

    void ModeOnlyChangeSendsNoDirection() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::Camera);
        f.requests.Clear();
        f.camera->ModeList()->setCurrentIndex(SAMPLE_MODE_5);
        f.camera->ClickApply();
        QVERIFY(f.Shown().isEmpty());
        QCOMPARE(f.requests.Codes(), Concat({0x6D, 0x6E}, LOAD));
        QCOMPARE(f.simulator->settings().operatingMode, 5);
        QCOMPARE(f.simulator->settings().direction, 0);
    }

    void UnknownModeIdKeepsTheListSelection() {
        PageFixture f;
        f.AttachFake();
        f.sensor.mode = 2;
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.camera->ModeList()->currentIndex(), 2);
        f.sensor.mode = 77;
        f.window->RequestPage(PageId::System);
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.camera->LastResult(), RC_OK);
        QCOMPARE(f.camera->ModeList()->currentIndex(), 2);
        // The list cannot show the sensor's mode, so the page counts as changed.
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        QVERIFY(!f.camera->CanLeavePage());
        QCOMPARE(f.Shown(), QStringList{Text(MSG_LEAVE_UNAPPLIED)});
    }

    void LeavingWithEditsAsksAndComingBackReloads() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Camera);
        f.camera->DirectionButton(1)->click();
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        f.window->RequestPage(PageId::System);
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        QCOMPARE(f.camera->SelectedDirection(), 1);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        f.window->RequestPage(PageId::System);
        QCOMPARE(f.window->CurrentPage(), PageId::System);
        QCOMPARE(f.Shown(), (QStringList{Text(MSG_LEAVE_UNAPPLIED), Text(MSG_LEAVE_UNAPPLIED)}));
        QCOMPARE(f.sensor.direction, 0); // nothing was sent
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.camera->SelectedDirection(), 0);
    }

    void ModeListFileSizes() {
        QTemporaryDir dir;
        const std::string record(MODE_RECORD_SIZE, '\0');
        const QString two = dir.filePath(QStringLiteral("two/conf/aml.dat"));
        const QString one = dir.filePath(QStringLiteral("one/conf/aml.dat"));
        WriteFile(two, record + record);
        WriteFile(one, (record + record).substr(0, 259));
        {
            PageFixture f(two.toStdString());
            QCOMPARE(f.camera->ModeList()->count(), 2);
            QCOMPARE(f.camera->ModeList()->currentIndex(), 0);
        }
        {
            PageFixture f(one.toStdString());
            QCOMPARE(f.camera->ModeList()->count(), 1);
        }
        PageFixture missing(dir.filePath(QStringLiteral("none/conf/aml.dat")).toStdString());
        QCOMPARE(missing.camera->ModeList()->count(), 0);
        QVERIFY(missing.Shown().isEmpty());
        QVERIFY(missing.unexpectedBoxes.isEmpty());
    }

    void EmptyModeListKeepsTheSensorsMode() {
        QTemporaryDir dir;
        PageFixture f(dir.filePath(QStringLiteral("conf/aml.dat")).toStdString());
        f.AttachFake();
        f.sensor.mode = 9;
        f.ShowPage(PageId::Camera);
        QVERIFY(f.camera->CanLeavePage());
        f.sensor.ClearCodes();
        f.camera->ClickApply();
        QVERIFY(f.sensor.Codes().empty());
        f.camera->DirectionButton(1)->click();
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.camera->ClickApply();
        QCOMPARE(f.sensor.Codes(), Concat({0x01, 0x02, 0x66, 0x79}, LOAD));
        QCOMPARE(f.sensor.mode, 9);
    }

    void LoadTimeoutReturnsHome() {
        PageFixture f;
        f.AttachFake();
        f.sensor.silent = {0x6E};
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_TIMEOUT)});
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(!f.Session().IsConnected());
    }

    void LoadSendFailureReturnsHome() {
        PageFixture f;
        f.AttachFake();
        f.link.FailNextSend(0);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.camera->LastResult(), RC_SEND_FAILED);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_SEND_FAILED)});
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(!f.Session().IsConnected());
    }

    void ShortResponseStaysWithThePreviousValues() {
        PageFixture f;
        f.AttachFake();
        f.sensor.direction = 1;
        f.ShowPage(PageId::Camera);
        f.window->RequestPage(PageId::System);
        f.sensor.direction = 3;
        f.link.QueueResponse(test::ResponseFrame(0x00)); // no direction byte: -102
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.camera->LastResult(), RC_SHORT_RESPONSE);
        QCOMPARE(f.Shown().size(), 1);
        QVERIFY(f.Shown().first().contains(QStringLiteral("(コード:-102)")));
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        QVERIFY(f.Session().IsConnected());
        QCOMPARE(f.camera->SelectedDirection(), 1);
    }

    void VerifyMismatchShows1103AndKeepsTheEdits() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Camera);
        f.sensor.storeMode = [](std::uint8_t) { return std::uint8_t{0}; };
        f.camera->ModeList()->setCurrentIndex(1);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.camera->ClickApply();
        QCOMPARE(f.camera->LastResult(), RC_VERIFY_MISMATCH);
        QCOMPARE(f.Shown(), QStringList{Text(MSG_APPLY_MISMATCH)});
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        QCOMPARE(f.camera->ModeList()->currentIndex(), 1);
    }

    void ApplyTimeoutReturnsHome() {
        PageFixture f;
        f.AttachFake();
        f.ShowPage(PageId::Camera);
        f.sensor.silent = {0x6D};
        f.camera->ModeList()->setCurrentIndex(1);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.camera->ClickApply();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_TIMEOUT)});
        f.DeliverPosted();
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
    }

    void TheWindowAnswersWhileTheSensorIsSlow() {
        PageFixture f;
        sim::SimConfig config;
        std::string error;
        QVERIFY(config.faults.add("delay=600@0x6E", error));
        QVERIFY(f.ConnectSimulator(config));
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);
        f.ShowPage(PageId::Camera);
        QCOMPARE(f.camera->LastResult(), RC_OK);
        // The user-interface thread kept serving events during the 600 ms the sensor took.
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
    }

    void ApplyButtonSitsBelowTheModeList() {
        PageFixture f;
        const QRect list = f.camera->ModeList()->geometry();
        const QRect apply = f.camera->ApplyButton()->geometry();
        QCOMPARE(apply.top(), list.bottom() + 1 + 16);
        QCOMPARE(apply.left(), 688 / 2 - apply.width() / 2);
        QCOMPARE(f.camera->ApplyButton()->text(), QStringLiteral("反映"));
        const QRect up = f.camera->DirectionButton(0)->geometry();
        const QRect right = f.camera->DirectionButton(1)->geometry();
        const QRect down = f.camera->DirectionButton(2)->geometry();
        const QRect left = f.camera->DirectionButton(3)->geometry();
        QCOMPARE(up.size(), QSize(120, 108));
        QCOMPARE(right.size(), QSize(108, 120));
        QCOMPARE(up.left(), 24 + 260);
        QCOMPARE(right.left(), up.right() + 1 + 4);
        QCOMPARE(right.top(), up.bottom() + 1 + 4);
        QCOMPARE(down.top(), right.bottom() + 1 + 4);
        QCOMPARE(left.right() + 1, up.left());
        QCOMPARE(left.top(), right.top());
    }
};

} // namespace orlo

QTEST_MAIN(orlo::CameraDlgTest)
#include "CameraDlgTest.moc"
