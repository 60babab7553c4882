#include "core/device/DetectionSettingsCommands.h"
#include "core/platform/CodePage.h"
#include "core/platform/FileIo.h"
#include "gui/connect/IpAddressCtrl.h"
#include "gui/connect/LanConnectDlg.h"
#include "gui/editors/AreaSettingDlg.h"
#include "gui/settings/CompareDlg.h"
#include "gui/settings/ReportDetailsDlg.h"
#include "gui/shell/QuietNotice.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgMFCButton.h"
#include "gui/uikit/RangeEdit.h"
#include "tests/gui/settings/EditorSteps.h"
#include "tests/gui/settings/MonitoredWindow.h"
#include "tests/support/DialogChecks.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <chrono>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::DrawAndClose;
using test::DrawnSensorRect;
using test::ModalDriver;
using test::PageFixture;
using test::Text;

constexpr int NOTICE_APPLIED = 9080;
constexpr int NOTICE_SAVED = 9081;
constexpr int NOTICE_WRITTEN = 9082;
constexpr int NOTICE_INITIALIZED = 9083;
constexpr int NOTICE_RESTARTED = 9084;
constexpr int NOTICE_REPORT_SAVED = 9085;
constexpr int STR_NO_DIFFERENCE = 9092;
constexpr int MSG_OFFER_KEPT_EDITS = 9093;
constexpr int MSG_SETTINGS_FILE = 1108;
constexpr int SLOW = 30000;

sim::FaultSet Faults(const std::string& list) {
    sim::FaultSet faults;
    std::string error;
    faults.add(list, error);
    return faults;
}

sim::Rect16 Stored(const Rect& rect) {
    return {static_cast<std::int16_t>(rect.left), static_cast<std::int16_t>(rect.top),
            static_cast<std::int16_t>(rect.right), static_cast<std::int16_t>(rect.bottom)};
}

// A simulator whose information text is `text`.
sim::SimConfig Named(const std::string& text) {
    sim::SimConfig config;
    config.infoText.emplace();
    std::copy(text.begin(), text.end(), config.infoText->begin());
    return config;
}

// The notice line of a page, when it is showing `id`'s text.
bool ShowsNotice(CPageBase& page, int id) {
    return page.Notice()->isVisible() && page.Notice()->text() == Text(id);
}

// Clears the notice so that the next check sees only what follows.
void ClearNotice(CPageBase& page) {
    page.Notice()->hide();
}

// Connects through "LAN..." as a user does: the address and port typed key by key, then Enter.
// False when the address did not land as typed (the dialog is then cancelled).
bool ConnectThroughLanDialog(CHomeDlg& home, std::uint16_t port) {
    bool landed = false;
    QTimer::singleShot(0, [&landed, port] {
        auto* dialog = qobject_cast<CLanConnectDlg*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !QTest::qWaitForWindowActive(dialog)) {
            return;
        }
        test::TypeIntoFocus(QStringLiteral("127.0.0.1"));
        landed = dialog->findChild<CIpAddressCtrl*>()->GetAddress() == Ipv4Address{127, 0, 0, 1};
        if (!landed) {
            dialog->reject();
            return;
        }
        auto* portEdit = dialog->findChild<COrgEdit*>(QStringLiteral("portEdit"));
        portEdit->setFocus(Qt::MouseFocusReason);
        portEdit->selectAll();
        test::TypeIntoFocus(QString::number(port));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    home.LanAction()->trigger();
    return landed;
}

// Connects through the LAN dialog and waits until the page monitors and what it posted is delivered.
bool Reconnect(test::MonitoredWindow& monitored, std::uint16_t port) {
    if (!ConnectThroughLanDialog(*monitored.home, port) ||
        !QTest::qWaitFor([&monitored] { return monitored.home->IsMonitoring(); }, SLOW)) {
        return false;
    }
    monitored.fixture->DeliverPosted();
    return true;
}

// Draws an area mask on the detection page and applies it while the simulator drops the link at its
// first write (the threshold), before the mask. The page has gone home, disconnected, when this returns
// true.
bool DrawAndLoseTheLinkDuringApply(PageFixture& f, sim::Simulator& simulator, QPoint from, QPoint to) {
    f.ShowPage(PageId::Detection);
    if (f.window->CurrentPage() != PageId::Detection || f.detection->LastResult() != RC_OK) {
        return false;
    }
    ModalDriver driver;
    driver.Then(DrawAndClose<CAreaSettingDlg>(from, to, true));
    f.detection->AreaMaskButton()->click();
    if (!QTest::qWaitFor([&driver] { return driver.Done(); }, SLOW)) {
        return false;
    }
    simulator.setFaults(Faults("drop-after=0@0x05")); // at the threshold, before the mask is written
    COrgMessageBox::PresetAnswer(MessageAnswer::Ok);  // the apply's failure message
    f.detection->ClickApply();
    simulator.setFaults({});
    f.DeliverPosted();
    if (f.window->CurrentPage() != PageId::Home) {
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes); // leave the page with its edits
        f.window->RequestPage(PageId::Home);
    }
    f.DeliverPosted();
    f.Session().Disconnect();
    return f.detection->HoldsKeptEdits() && f.window->CurrentPage() == PageId::Home;
}

} // namespace

// What the tool says and keeps beyond the original: quiet confirmations, disconnect, comparison with a
// settings file, edits kept over a lost link, and the report's details.
class AssuranceTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void anApplyIsConfirmedQuietlyAndAFailedOneIsNot() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::Detection);
        f.detection->ThresholdEdit()->setText(QStringLiteral("451"));
        f.detection->ClickApply();
        QCOMPARE(f.detection->LastResult(), RC_OK);
        QVERIFY(ShowsNotice(*f.detection, NOTICE_APPLIED));
        QVERIFY2(f.Shown().isEmpty(), "no box to click");
        // It goes by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!f.detection->Notice()->isVisible(), 8000);

        f.simulator->setFaults(Faults("error=0xF3@0x05"));
        f.detection->ThresholdEdit()->setText(QStringLiteral("452"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        f.detection->ClickApply();
        QVERIFY(f.detection->LastResult() != RC_OK);
        QVERIFY(!f.detection->Notice()->isVisible());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void theSystemPagesOperationsAreConfirmedOnlyWhenTheySucceed() {
        sim::SimConfig config;
        config.restartSilence = 300ms;
        PageFixture f;
        QVERIFY(f.ConnectSimulator(config));
        f.ShowPage(PageId::System);
        CSystemDlg& page = *f.system;
        const QString backup = f.directory.filePath(QStringLiteral("backup.ini"));
        ModalDriver driver;

        driver.Then(ModalDriver::ChooseFile(f.directory.filePath(QStringLiteral("missing/backup.ini"))));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        page.Button(SystemOperation::Save)->click();
        QVERIFY(driver.Done());
        QVERIFY(page.LastResult() != RC_OK);
        QVERIFY(!page.Notice()->isVisible());

        driver.Then(ModalDriver::ChooseFile(backup));
        page.Button(SystemOperation::Save)->click();
        QVERIFY(driver.Done());
        QVERIFY(ShowsNotice(page, NOTICE_SAVED));

        ClearNotice(page);
        driver.Then(ModalDriver::ChooseFile(backup));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        page.Button(SystemOperation::Write)->click();
        QVERIFY(driver.Done());
        QCOMPARE(page.LastResult(), RC_OK);
        QVERIFY(ShowsNotice(page, NOTICE_WRITTEN));

        ClearNotice(page);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        page.Button(SystemOperation::Initialize)->click();
        QCOMPARE(page.LastResult(), RC_OK);
        QVERIFY(ShowsNotice(page, NOTICE_INITIALIZED));

        ClearNotice(page);
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        page.Button(SystemOperation::Restart)->click();
        QCOMPARE(page.LastResult(), RC_OK);
        QVERIFY(ShowsNotice(page, NOTICE_RESTARTED));

        ClearNotice(page);
        driver.Then(ModalDriver::AcceptReportDetails())
            .Then(ModalDriver::ChooseFile(f.directory.filePath(QStringLiteral("report.html"))));
        page.Button(SystemOperation::Report)->click();
        QVERIFY(driver.Done());
        QVERIFY(ShowsNotice(page, NOTICE_REPORT_SAVED));

        // A restart the sensor refuses: no confirmation.
        ClearNotice(page);
        f.simulator->setFaults(Faults("error=0xF3"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        page.Button(SystemOperation::Restart)->click();
        QVERIFY(page.LastResult() != RC_OK);
        QVERIFY(!page.Notice()->isVisible());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void comparingWithAnEqualADifferentAndABrokenFile() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        CSystemDlg& page = *f.system;
        const QString backup = f.directory.filePath(QStringLiteral("backup.ini"));
        ModalDriver driver;
        driver.Then(ModalDriver::ChooseFile(backup));
        page.Button(SystemOperation::Save)->click();
        QVERIFY(driver.Done());

        QString summary;
        bool tableShown = true;
        driver.Then(ModalDriver::ChooseFile(backup))
            .Then(ModalDriver::On<CCompareDlg>([&](CCompareDlg& dialog) {
                summary = dialog.Summary()->text();
                tableShown = dialog.Table()->isVisible();
                QTest::keyClick(&dialog, Qt::Key_Escape);
            }));
        page.Button(SystemOperation::Compare)->click();
        QTRY_VERIFY(driver.Done());
        QCOMPARE(summary, Text(STR_NO_DIFFERENCE));
        QVERIFY(!tableShown);

        // The sensor changed behind the tool's back, as orloctl would change it.
        std::uint16_t before = 0;
        QCOMPARE(GetThreshold(f.Session(), 1000, before), RC_OK);
        QCOMPARE(SetThreshold(f.Session(), 1000, 777), RC_OK);
        QCOMPARE(SetFalseRect(f.Session(), 1000, 2, {10, 20, 30, 40}), RC_OK);
        std::vector<QStringList> rows;
        driver.Then(ModalDriver::ChooseFile(backup))
            .Then(ModalDriver::On<CCompareDlg>([&](CCompareDlg& dialog) {
                for (int row = 0; row < dialog.Table()->rowCount(); ++row) {
                    QStringList cells;
                    for (int column = 0; column < 3; ++column) {
                        cells << dialog.Table()->item(row, column)->text();
                    }
                    rows.push_back(cells);
                }
                QVERIFY(dialog.Table()->editTriggers() == QAbstractItemView::NoEditTriggers);
                dialog.OkButton()->click();
            }));
        f.requests.Clear();
        page.Button(SystemOperation::Compare)->click();
        QTRY_VERIFY(driver.Done());
        const std::vector<QStringList> expected = {
            {QStringLiteral("Ditection.Threshold"), QStringLiteral("777"), QString::number(before)},
            {QStringLiteral("OrloSetupFalseRect.Rect3"), QStringLiteral("10,20,30,40"),
             QStringLiteral("-1,-1,-1,-1")}};
        QCOMPARE(rows, expected);
        // Read-only: nothing was written.
        for (const std::uint8_t code : f.requests.Codes()) {
            QVERIFY2(code != 0x05 && code != 0x67, qPrintable(QString::number(code, 16)));
        }

        // A file that cannot be read is named before the sensor is asked anything.
        const QString broken = f.directory.filePath(QStringLiteral("broken.ini"));
        QVERIFY(WriteFileAtomically(broken.toStdString(), "[Camera]\r\nCamera=1\r\n"));
        f.requests.Clear();
        driver.Then(ModalDriver::ChooseFile(broken));
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        page.Button(SystemOperation::Compare)->click();
        QVERIFY(driver.Done());
        QCOMPARE(f.Shown().size(), 1);
        QVERIFY(f.Shown().front().startsWith(Text(MSG_SETTINGS_FILE)));
        QVERIFY(f.requests.Codes().empty());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void theReportsDetailsAreAskedRememberedAndShownAtItsTop() {
        PageFixture f;
        QVERIFY(f.ConnectSimulator());
        f.ShowPage(PageId::System);
        const QString report = f.directory.filePath(QStringLiteral("report.html"));
        ModalDriver driver;
        driver
            .Then(ModalDriver::On<CReportDetailsDlg>([](CReportDetailsDlg& dialog) {
                dialog.SiteEdit()->setFocus();
                test::TypeIntoFocus(QStringLiteral("North gate <B>"));
                dialog.CustomerEdit()->setText(QStringLiteral("ACME & Sons"));
                dialog.InstallerEdit()->setText(QStringLiteral("  Sato  "));
                dialog.NoteEdit()->setPlainText(QStringLiteral("ladder needed\nkey at desk"));
                dialog.OkButton()->click();
            }))
            .Then(ModalDriver::ChooseFile(report));
        f.system->Button(SystemOperation::Report)->click();
        QTRY_VERIFY(driver.Done());
        QCOMPARE(f.system->LastResult(), RC_OK);
        const QByteArray html = [&report] {
            QFile file(report);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const qsizetype site = html.indexOf("<td>North gate &lt;B&gt;</td>");
        QVERIFY(site > 0);
        QVERIFY(site < html.indexOf("data:image/png"));
        QVERIFY(html.contains("<td>ACME &amp; Sons</td>"));
        QVERIFY(html.contains("<td>Sato</td>"));
        QVERIFY(html.contains("<td>ladder needed<br>key at desk</td>"));

        // The next report offers the same site, customer and installer; its note starts empty. A
        // cancel there writes nothing and asks for no file.
        QFile::remove(report);
        ReportDetails offered;
        driver.Then(ModalDriver::On<CReportDetailsDlg>([&offered](CReportDetailsDlg& dialog) {
            offered = dialog.Details();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }));
        f.system->Button(SystemOperation::Report)->click();
        QTRY_VERIFY(driver.Done());
        QCOMPARE(offered, (ReportDetails{"North gate <B>", "ACME & Sons", "Sato", ""}));
        QVERIFY(!QFile::exists(report));
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void disconnectFreesTheSensorAndTheNextConnectWorks() {
        test::MonitoredWindow monitored;
        QVERIFY(monitored.started);
        CHomeDlg& home = *monitored.home;
        PageFixture& f = *monitored.fixture;
        QTRY_VERIFY_WITH_TIMEOUT(home.IsMonitoring(), SLOW);
        QVERIFY(home.DisconnectAction()->isVisible());

        home.DisconnectAction()->trigger();
        QVERIFY(!f.Session().IsConnected());
        QVERIFY(!home.IsMonitoring());
        QVERIFY(!home.DisconnectAction()->isVisible());
        QVERIFY(!f.window->NavigationButton(PageId::Camera)->isEnabled());
        // The sensor is free for another program.
        DeviceSession other{f.directory.path().toStdString()};
        QCOMPARE(ConnectLan(other, "127.0.0.1", monitored.simulator.tcpPort(), 90), RC_OK);
        other.Disconnect();

        QVERIFY(ConnectThroughLanDialog(home, monitored.simulator.tcpPort()));
        QTRY_VERIFY_WITH_TIMEOUT(home.IsMonitoring(), SLOW);
        QVERIFY(home.DisconnectAction()->isVisible());
        QVERIFY(f.Shown().isEmpty());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void editsKeptOverALostLinkAreOfferedOnceToTheSameSensorAndAppliedOnYes() {
        test::MonitoredWindow monitored(Named("Gate A"));
        QVERIFY(monitored.started);
        PageFixture& f = *monitored.fixture;
        QTRY_VERIFY_WITH_TIMEOUT(monitored.home->IsMonitoring(), SLOW);
        const QPoint from(60, 170), to(230, 330);
        QVERIFY(DrawAndLoseTheLinkDuringApply(f, monitored.simulator, from, to));

        const int shownBefore = static_cast<int>(f.Shown().size());
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        QVERIFY(ConnectThroughLanDialog(*monitored.home, monitored.simulator.tcpPort()));
        QTRY_COMPARE_WITH_TIMEOUT(f.window->CurrentPage(), PageId::Detection, SLOW);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsNotice(*f.detection, NOTICE_APPLIED), SLOW);
        QCOMPARE(f.Shown().mid(shownBefore), QStringList{Text(MSG_OFFER_KEPT_EDITS)});
        QCOMPARE(monitored.simulator.settings().areaMasks[0].rect, Stored(DrawnSensorRect(from, to)));
        QVERIFY(!f.detection->HoldsKeptEdits());

        // Offered once: the next connect asks nothing.
        f.window->RequestPage(PageId::Home);
        f.DeliverPosted();
        monitored.home->DisconnectAction()->trigger();
        QVERIFY(Reconnect(monitored, monitored.simulator.tcpPort()));
        QCOMPARE(f.Shown().size(), shownBefore + 1);
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void editsKeptForOneSensorAreNeverOfferedToAnother() {
        test::MonitoredWindow monitored(Named("Gate A"));
        QVERIFY(monitored.started);
        PageFixture& f = *monitored.fixture;
        QTRY_VERIFY_WITH_TIMEOUT(monitored.home->IsMonitoring(), SLOW);
        const QPoint from(300, 200), to(420, 300);
        QVERIFY(DrawAndLoseTheLinkDuringApply(f, monitored.simulator, from, to));

        sim::Simulator other(test::MonitoredWindow::WithFreeTcpPort(Named("Gate B")));
        std::string error;
        QVERIFY2(other.start(error), error.c_str());
        const int shownBefore = static_cast<int>(f.Shown().size());
        QVERIFY(Reconnect(monitored, other.tcpPort()));
        QCOMPARE(f.Shown().size(), shownBefore);
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QCOMPARE(other.settings().areaMasks, sim::SensorSettings{}.areaMasks);
        QVERIFY(!f.detection->HoldsKeptEdits());

        // Dropped, not postponed: back on the first sensor nothing is offered either.
        monitored.home->DisconnectAction()->trigger();
        QVERIFY(Reconnect(monitored, monitored.simulator.tcpPort()));
        QCOMPARE(f.Shown().size(), shownBefore);
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }
};

} // namespace orlo

QTEST_MAIN(orlo::AssuranceTest)
#include "AssuranceTest.moc"
