#include "gui/monitor/HomeDlg.h"

#include "core/config/AppConfig.h"
#include "core/strings/StringTable.h"
#include "gui/connect/ComConnectDlg.h"
#include "gui/connect/IpAddressCtrl.h"
#include "gui/connect/LanConnectDlg.h"
#include "gui/shell/MiraSettingsDlg.h"
#include "gui/shell/WaitDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/OrgMFCButton.h"
#include "gui/uikit/OrgMessageBox.h"
#include "sim/Simulator.h"
#include "tests/support/DialogChecks.h"
#include "tests/support/PlaceholderPages.h"
#include "tests/support/TaskRunnerDoubles.h"
#include "tests/support/WaitCancel.h"
#ifndef _WIN32
#include "tests/support/StalledListener.h"
#include "tests/support/ThreadCount.h"
#endif

#include <QAction>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <fstream>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;

QString Text(int id) {
    const auto text = LoadString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What the acquisition loop reported to the page, counted from its own thread.
struct Reports {
    std::atomic<int> all{0};
    std::atomic<int> afterDestructionBegan{0};
};

// The real monitoring page, watched: it counts the loop's reports, and its destructor gives a loop that
// was not stopped in time the chance to report into it. It can also be made to find no thread for a task.
class WatchedHomePage : public CHomeDlg {
public:
    WatchedHomePage(DeviceSession& session, CMiraSettingsDlgBase& window, Reports& reports)
        : CHomeDlg(session, window), reports_(reports) {}
    ~WatchedHomePage() override {
        destroying_ = true;
        const int before = reports_.all;
        for (int i = 0; i < 300 && reports_.all == before; ++i) {
            std::this_thread::sleep_for(1ms);
        }
    }

    bool noThreads = false;

protected:
    std::optional<ResultCode> RunTask(int durationMs, std::function<ResultCode()> task,
                                      std::function<void()> cancel) override {
        CWaitDlg* wait = findChild<CWaitDlg*>();
        return noThreads ? test::RunWithoutThread(*wait, durationMs, std::move(task), std::move(cancel))
                         : CHomeDlg::RunTask(durationMs, std::move(task), std::move(cancel));
    }
    void OnCycleCompleted(CycleOutput output) override {
        Count();
        CHomeDlg::OnCycleCompleted(std::move(output));
    }
    void OnResultLost() override {
        Count();
        CHomeDlg::OnResultLost();
    }
    void OnLinkFailure() override {
        Count();
        CHomeDlg::OnLinkFailure();
    }
    void OnSettingsAbnormal() override {
        Count();
        CHomeDlg::OnSettingsAbnormal();
    }

private:
    void Count() {
        if (destroying_) {
            ++reports_.afterDestructionBegan;
        }
        ++reports_.all;
    }

    Reports& reports_;
    std::atomic<bool> destroying_{false};
};

sim::FaultSet Faults(const std::string& list) {
    sim::FaultSet faults;
    std::string error;
    faults.add(list, error);
    return faults;
}

// Runs step once the LAN dialog is on screen and active.
void OnLanDialog(const std::function<void(CLanConnectDlg&)>& step) {
    QTimer::singleShot(0, [step] {
        auto* dialog = qobject_cast<CLanConnectDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        step(*dialog);
    });
}

// Types the loopback address and port into the LAN dialog as a user does, and presses Enter. An
// address that did not land as typed is never connected to: the dialog is cancelled.
void TypeLoopbackConnection(CLanConnectDlg& dialog, std::uint16_t port, bool& addressLanded) {
    test::TypeIntoFocus(QStringLiteral("127.0.0.1"));
    addressLanded = dialog.findChild<CIpAddressCtrl*>()->GetAddress() == Ipv4Address{127, 0, 0, 1};
    if (!addressLanded) {
        dialog.reject();
        return;
    }
    auto* portEdit = dialog.findChild<COrgEdit*>(QStringLiteral("portEdit"));
    portEdit->setFocus(Qt::MouseFocusReason);
    portEdit->selectAll();
    test::TypeIntoFocus(QString::number(port));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

// Connects through "LAN接続" as a user does, to the loopback address and port; false when the
// address did not land as typed.
bool ConnectThroughLanDialog(CHomeDlg& home, std::uint16_t port) {
    bool landed = false;
    OnLanDialog([&landed, port](CLanConnectDlg& dialog) { TypeLoopbackConnection(dialog, port, landed); });
    home.LanAction()->trigger();
    return landed;
}

// No sensor is to be waited for longer than this after "中止"; every wait that the cancels end lasts
// 10 s (a silent serial probe at every speed) to 49 s (a frozen detection over TCP) without one.
constexpr long long CancelEndsWithinMs = 5000;

// The main window with the real monitoring page, in a directory of its own, against the simulator.
struct Fixture {
    explicit Fixture(const std::string& faults = "", bool connectOnStart = true) {
        QDir::setCurrent(directory.path());
        std::ofstream("Orlo-X1.conf") << "[Application]\nRenewInterval=50\n";
        sim::SimConfig config;
        config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        if (!faults.empty()) {
            std::string error;
            config.faults.add(faults, error);
        }
        simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        started = simulator->start(error);
        PageFactory factory = PlaceholderPageFactory();
        factory.home = [this, connectOnStart](DeviceSession& session, CMiraSettingsDlgBase& window) {
            auto page = std::make_unique<WatchedHomePage>(session, window, reports);
            home = page.get();
            if (connectOnStart) {
                page->ConnectOnStart("127.0.0.1", simulator->tcpPort());
            }
            return std::unique_ptr<CHomePageBase>(std::move(page));
        };
        window = std::make_unique<CMiraSettingsDlg>(factory);
        window->show();
    }
    ~Fixture() {
        window.reset();
        simulator.reset();
        COrgMessageBox::ResetPresets();
    }

    bool PictureShown() const {
        // Anything but black and the grey placeholder inside the picture area.
        const QImage& surface = home->Surface();
        for (int y = 100; y < 540; y += 7) {
            for (int x = 20; x < 620; x += 7) {
                const QColor c = surface.pixelColor(x, y);
                if (c != QColor(Qt::black) && c != QColor(128, 128, 128)) {
                    return true;
                }
            }
        }
        return false;
    }

    // Monitoring, with a picture drawn.
    // The simulator again on the port it had, after it was destroyed.
    bool RestartSimulator(std::uint16_t port) {
        sim::SimConfig config;
        config.tcp = sim::TcpEndpoint{"127.0.0.1", port};
        simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        return simulator->start(error);
    }

    bool Monitoring() const {
        return QTest::qWaitFor([this] { return window->Session().IsConnected(); }, 10000) &&
               QTest::qWaitFor([this] { return PictureShown() && home->IsMonitoring(); }, 10000);
    }

    QTemporaryDir directory;
    Reports reports;
    std::unique_ptr<sim::Simulator> simulator;
    bool started = false;
    WatchedHomePage* home = nullptr;
    std::unique_ptr<CMiraSettingsDlg> window;
};

// How long the sensor stays away in the reconnection tests: 10 s as an installer's power cycle,
// shorter with ORLO_RECONNECT_TEST_ABSENCE_MS (the page behaves the same).
std::chrono::milliseconds SensorAbsence() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("ORLO_RECONNECT_TEST_ABSENCE_MS", &ok);
    return ok ? std::chrono::milliseconds(ms) : std::chrono::milliseconds(10000);
}

// The longest pause of the user-interface thread while it waits for `duration`.
std::chrono::milliseconds LongestPauseWhileWaiting(std::chrono::milliseconds duration) {
    auto last = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration longest{};
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    ticker.start(10);
    QTest::qWait(static_cast<int>(duration.count()));
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
}

class HomeDlgTest : public QObject {
    Q_OBJECT

private slots:
    void LostLinkComesBackWithoutAClickWhenReconnectionIsOn() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok); // a message would be recorded, not shown
        Fixture fixture;
        AppConfig(".").WriteAutoReconnect(true);
        fixture.home->SetReconnectInterval(500ms);
        QVERIFY(fixture.Monitoring());
        const std::uint16_t port = fixture.simulator->tcpPort();

        fixture.simulator.reset(); // the sensor is switched off
        QTRY_VERIFY_WITH_TIMEOUT(fixture.home->IsReconnecting(), 10000);
        QVERIFY(fixture.home->ReconnectStatus()->isVisible());
        QCOMPARE(fixture.home->ReconnectStatus()->text(), Text(9781));
        QVERIFY(!fixture.window->NavigationButton(PageId::Camera)->isEnabled());
        const auto pause = LongestPauseWhileWaiting(SensorAbsence());
        qInfo("longest pause of the window while retrying: %lld ms", static_cast<long long>(pause.count()));
        QVERIFY(fixture.home->IsReconnecting());
        QVERIFY(!fixture.home->IsMonitoring());

        QVERIFY(fixture.RestartSimulator(port)); // and on again
        QVERIFY(fixture.Monitoring());
        QVERIFY(!fixture.home->IsReconnecting());
        QVERIFY(!fixture.home->ReconnectStatus()->isVisible());
        QVERIFY(fixture.window->NavigationButton(PageId::Camera)->isEnabled());
        QVERIFY(fixture.window->windowTitle().contains(QStringLiteral("127.0.0.1:")));
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{});
    }

    void LostLinkIsReportedAsBeforeWhenReconnectionIsOff() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture;
        fixture.home->SetReconnectInterval(100ms);
        QVERIFY(fixture.Monitoring());
        const std::uint16_t port = fixture.simulator->tcpPort();
        fixture.simulator.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!COrgMessageBox::AnsweredTexts().isEmpty(), 10000);
        QVERIFY2(COrgMessageBox::AnsweredTexts() == QStringList{Text(1112)} ||
                     COrgMessageBox::AnsweredTexts() == QStringList{Text(1101)},
                 qPrintable(COrgMessageBox::AnsweredTexts().join(QLatin1Char('|'))));
        QTRY_VERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(!fixture.home->IsReconnecting());
        QVERIFY(fixture.RestartSimulator(port));
        QTest::qWait(500);
        QVERIFY(!fixture.window->Session().IsConnected());
    }

    void ConnectButtonEndsTheRetries() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture;
        AppConfig(".").WriteAutoReconnect(true);
        fixture.home->SetReconnectInterval(100ms);
        QVERIFY(fixture.Monitoring());
        const std::uint16_t port = fixture.simulator->tcpPort();
        fixture.simulator.reset();
        QTRY_VERIFY_WITH_TIMEOUT(fixture.home->IsReconnecting(), 10000);
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<CLanConnectDlg*>(QApplication::activeModalWidget())) {
                dialog->reject();
            }
        });
        closer.start(20);
        fixture.home->LanAction()->trigger();
        QVERIFY(!fixture.home->IsReconnecting());
        QVERIFY(!fixture.home->ReconnectStatus()->isVisible());
        QVERIFY(fixture.RestartSimulator(port));
        QTest::qWait(500);
        QVERIFY(!fixture.window->Session().IsConnected());
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{});
    }

    void ClosingWhileRetryingEndsTheRetries() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture;
        AppConfig(".").WriteAutoReconnect(true);
        fixture.home->SetReconnectInterval(100ms);
        QVERIFY(fixture.Monitoring());
        fixture.simulator.reset();
        QTRY_VERIFY_WITH_TIMEOUT(fixture.home->IsReconnecting(), 10000);
        QTest::qWait(300); // a few attempts
        fixture.window->close();
        QVERIFY(!fixture.home->IsReconnecting());
        fixture.window.reset(); // joins everything; a retry thread left running would use a dead page
    }

    void ConnectsAndShowsLivePictures() {
        Fixture fixture;
        QVERIFY(fixture.started);
        DeviceSession& session = fixture.window->Session();
        QTRY_VERIFY_WITH_TIMEOUT(session.IsConnected(), 10000);
        QVERIFY(fixture.window->windowTitle().contains(QStringLiteral("Orlo-X1")));
        QVERIFY(fixture.window->windowTitle().contains(QStringLiteral("127.0.0.1:")));
        QTRY_VERIFY_WITH_TIMEOUT(fixture.PictureShown(), 10000);
        QVERIFY(fixture.home->IsMonitoring());
        // The demonstration's connection is not remembered.
        std::ifstream conf("Orlo-X1.conf");
        const std::string text{std::istreambuf_iterator<char>(conf), std::istreambuf_iterator<char>()};
        QVERIFY(text.find("PortNo") == std::string::npos);

        // Leaving the page stops the loop; coming back resumes it.
        fixture.window->RequestPage(PageId::Camera);
        QCOMPARE(fixture.window->CurrentPage(), PageId::Camera);
        QVERIFY(!fixture.home->IsMonitoring());
        fixture.window->RequestPage(PageId::Home);
        QVERIFY(fixture.home->IsMonitoring());
    }

    void CancelledDialogReconnectsWithTheRememberedValues() {
        Fixture fixture;
        DeviceSession& session = fixture.window->Session();
        QTRY_VERIFY_WITH_TIMEOUT(session.IsConnected(), 10000);
        const std::uint16_t port = session.LanPort();
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<CLanConnectDlg*>(widget); dialog && dialog->isVisible()) {
                    dialog->reject();
                }
            }
        });
        closer.start(20);
        fixture.home->LanAction()->trigger();
        QVERIFY(session.IsConnected());
        QCOMPARE(session.LanPort(), port);
        QVERIFY(fixture.home->IsMonitoring());
    }

    void SettingsAbnormalGoesToTheCameraPage() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("abnormal@0x03");
        QTRY_VERIFY_WITH_TIMEOUT(COrgMessageBox::AnsweredTexts().contains(Text(1113)), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(fixture.window->CurrentPage(), PageId::Camera, 5000);
        QVERIFY(fixture.window->Session().IsConnected()); // the link stays open
        QVERIFY(!fixture.home->IsMonitoring());
    }

    void LinkCutDuringAResponseDisconnects() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("drop-after=100@0x03");
        QTRY_VERIFY_WITH_TIMEOUT(COrgMessageBox::AnsweredTexts().contains(Text(1112)), 10000);
        QTRY_VERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(fixture.window->windowTitle().isEmpty() ||
                !fixture.window->windowTitle().contains(QStringLiteral("127.0.0.1")));
    }

    void ConnectFailureReportsAndStaysDisconnected() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("error=0xF3@0x00");
        QTRY_VERIFY_WITH_TIMEOUT(!COrgMessageBox::AnsweredTexts().isEmpty(), 10000);
        QVERIFY(COrgMessageBox::AnsweredTexts().first().contains(QStringLiteral("F3h")));
        QVERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(!fixture.window->NavigationButton(PageId::Camera)->isEnabled());
    }

    void ClosingDuringAnExchangeCutsIt() {
        Fixture fixture;
        QVERIFY(fixture.Monitoring());
        // Every detection now takes half a minute: closing catches one under way.
        fixture.simulator->setFaults(Faults("delay=30000@0x03"));
        QTest::qWait(300);
        const auto start = std::chrono::steady_clock::now();
        fixture.window->close();
        const auto took = std::chrono::steady_clock::now() - start;
        qInfo("closed %lld ms after the request, an answer under way",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        QVERIFY(took < std::chrono::milliseconds(CancelEndsWithinMs));
        QVERIFY(!fixture.home->IsMonitoring());
        QVERIFY(!fixture.window->isVisible());
        QCOMPARE(fixture.window->result(), 1);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{});
    }

    void ClosingWithAFrozenSensorEndsTheProgramAtOnceAndLeavesNoThread() {
#ifndef _WIN32
        const std::size_t threadsBefore = test::ThreadCount();
#endif
        Fixture fixture("", false);
        // Connected through the dialog, which remembers the sensor in the configuration.
        QVERIFY(ConnectThroughLanDialog(*fixture.home, fixture.simulator->tcpPort()));
        QVERIFY(fixture.Monitoring());
        fixture.simulator->setFaults(Faults("silent"));
        QTest::qWait(300); // a detection is now waiting for an answer that never comes

        const auto start = std::chrono::steady_clock::now();
        QTimer::singleShot(0, fixture.window.get(), [&fixture] { fixture.window->windowHandle()->close(); });
        QCOMPARE(fixture.window->exec(), 1); // the window's own event loop ends
        const auto took = std::chrono::steady_clock::now() - start;
        qInfo("event loop ended %lld ms after the close request, sensor frozen",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        QVERIFY(took < std::chrono::milliseconds(CancelEndsWithinMs));
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{});

        const std::uint16_t port = fixture.simulator->tcpPort();
        fixture.window.reset();
        fixture.simulator.reset();
#ifndef _WIN32 // the threads as the kernel lists them
        QCOMPARE(test::ThreadCountSettledAt(threadsBefore), threadsBefore);
#endif
        QCOMPARE(AppConfig(".").ReadPortNo(), port);
    }

#ifndef _WIN32 // a POSIX listener that never answers; the simulator's pseudo-terminal
    void CancelledLanConnectToAnAddressThatNeverAnswers() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("", false);
        test::StalledListener silent;
        QVERIFY(silent.Valid());
        test::WaitCancel cancel;
        QVERIFY(ConnectThroughLanDialog(*fixture.home, silent.Port()));
        QVERIFY(cancel.Pressed());
        qInfo("connect ended %lld ms after 中止", cancel.MsSincePress());
        QVERIFY(cancel.MsSincePress() < CancelEndsWithinMs);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9030)});
        QVERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(!fixture.home->IsMonitoring());
        QVERIFY(!fixture.window->NavigationButton(PageId::Camera)->isEnabled());
        // Not remembered: the next start offers the last address that connected.
        QVERIFY(AppConfig(".").ReadPortNo() != silent.Port());

        // The session connects again as before.
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        QVERIFY(ConnectThroughLanDialog(*fixture.home, fixture.simulator->tcpPort()));
        QVERIFY(fixture.Monitoring());
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9030)});
    }

    void CancelledComConnectToASensorThatNeverAnswers() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture("", false);
        sim::SimConfig config;
        config.pty = true;
        config.faults = Faults("silent");
        sim::Simulator silent(config);
        std::string error;
        QVERIFY2(silent.start(error), error.c_str());
        AppConfig(".").WriteComPort(silent.ptyPath());
        AppConfig(".").WriteBaudRate(115200);
        // The dialog offers the port last used; Enter connects.
        QTimer::singleShot(0, [] {
            QTRY_VERIFY(qobject_cast<CComConnectDlg*>(QApplication::activeModalWidget()) != nullptr);
            QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return);
        });
        test::WaitCancel cancel(std::chrono::milliseconds(1500)); // into the probes at other speeds
        fixture.home->ComAction()->trigger();
        QVERIFY(cancel.Pressed());
        qInfo("COM connect ended %lld ms after 中止", cancel.MsSincePress());
        QVERIFY(cancel.MsSincePress() < CancelEndsWithinMs);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9030)});
        QVERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(!fixture.window->NavigationButton(PageId::Camera)->isEnabled());
    }

#endif

    void CancelledStopOfAFrozenLoopLeavesThePageDisconnected() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture;
        QVERIFY(fixture.Monitoring());
        fixture.simulator->setFaults(Faults("silent"));
        QTest::qWait(300); // a detection is now waiting for an answer that never comes
        test::WaitCancel cancel;
        fixture.window->RequestPage(PageId::Camera);
        QVERIFY(cancel.Pressed());
        qInfo("stop ended %lld ms after 中止 (the wait showed \"%s\")", cancel.MsSincePress(),
              qPrintable(cancel.ElapsedAtPress()));
        QVERIFY(cancel.MsSincePress() < CancelEndsWithinMs);
        // The detection's time-out is far above ten seconds: the elapsed time was shown beside it.
        QVERIFY(!cancel.ElapsedAtPress().isEmpty());
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9030)});
        QCOMPARE(fixture.window->CurrentPage(), PageId::Home);
        QVERIFY(!fixture.home->IsMonitoring());
        QVERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(!fixture.window->NavigationButton(PageId::Camera)->isEnabled());
        QVERIFY(fixture.window->windowTitle().isEmpty());
        QTest::qWait(200);
        QVERIFY(!fixture.PictureShown()); // the grey of no sensor

        // The sensor answers again: the page connects and monitors as before.
        fixture.simulator->setFaults({});
        QVERIFY(ConnectThroughLanDialog(*fixture.home, fixture.simulator->tcpPort()));
        QVERIFY(fixture.Monitoring());
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9030)});
    }

    void NoReportReachesThePageOnceItsDestructionHasBegun() {
        Fixture fixture;
        QVERIFY(fixture.Monitoring());
        QVERIFY(fixture.reports.all > 0);
        fixture.window.reset(); // monitoring every 50 ms up to this moment
        QCOMPARE(fixture.reports.afterDestructionBegan.load(), 0);
    }

    void LinkLostWhileAnotherPageIsShownGoesBackHome() {
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        Fixture fixture;
        QVERIFY(fixture.Monitoring());
        // The link breaks; the loop stops itself and reports, and before the report is handled the
        // user's click on "カメラ" is.
        fixture.simulator->setFaults(Faults("drop-after=100@0x03"));
        for (int i = 0; i < 10000 && fixture.home->IsMonitoring(); ++i) {
            std::this_thread::sleep_for(1ms);
        }
        QVERIFY(!fixture.home->IsMonitoring());
        std::this_thread::sleep_for(200ms);
        fixture.window->RequestPage(PageId::Camera);
        QCOMPARE(fixture.window->CurrentPage(), PageId::Camera);

        QTRY_VERIFY(COrgMessageBox::AnsweredTexts().contains(Text(1112)));
        QTRY_COMPARE(fixture.window->CurrentPage(), PageId::Home);
        QVERIFY(fixture.home->isVisible());
        QVERIFY(!fixture.window->Page(PageId::Camera)->isVisible());
        QVERIFY(!fixture.window->Session().IsConnected());
        QVERIFY(!fixture.window->NavigationButton(PageId::Camera)->isEnabled());
        QVERIFY(fixture.window->NavigationButton(PageId::Home)->isHidden());
        QVERIFY(fixture.window->windowTitle().isEmpty());
    }

    void LoopThatCannotBeStoppedKeepsThePage() {
        Fixture fixture;
        QVERIFY(fixture.Monitoring());
        fixture.home->noThreads = true;
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        fixture.window->RequestPage(PageId::Camera);
        QCOMPARE(COrgMessageBox::AnsweredTexts(), QStringList{Text(9010)});
        QCOMPARE(fixture.window->CurrentPage(), PageId::Home);
        QVERIFY(fixture.home->IsMonitoring());
        QVERIFY(fixture.window->Session().IsConnected());

        // Nor does a new connection start while the loop still runs.
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        fixture.home->LanAction()->trigger();
        QCOMPARE(COrgMessageBox::AnsweredTexts().size(), 2);
        QVERIFY(fixture.home->IsMonitoring());
        QVERIFY(fixture.window->Session().IsConnected());

        // Closing still stops it, without a worker.
        fixture.window->close();
        QVERIFY(!fixture.home->IsMonitoring());
    }

    void AddressTypedAfterAFailedConnectConnects() {
        Fixture fixture("", false);
        QVERIFY(fixture.started);
        // Nothing listens on port 1 of the loopback address: the first attempt fails.
        bool landed = false;
        COrgMessageBox::PresetAnswer(MessageAnswer::Ok);
        OnLanDialog([&landed](CLanConnectDlg& dialog) { TypeLoopbackConnection(dialog, 1, landed); });
        fixture.home->LanAction()->trigger();
        QVERIFY(landed);
        QCOMPARE(COrgMessageBox::AnsweredTexts().size(), 1);
        QVERIFY(!fixture.window->Session().IsConnected());

        const std::uint16_t port = fixture.simulator->tcpPort();
        landed = false;
        OnLanDialog(
            [&landed, port](CLanConnectDlg& dialog) { TypeLoopbackConnection(dialog, port, landed); });
        fixture.home->LanAction()->trigger();
        QVERIFY(landed);
        QVERIFY(fixture.window->Session().IsConnected());
        QCOMPARE(fixture.window->Session().LanPort(), port);
        QCOMPARE(AppConfig(".").ReadIpAddress(), (Ipv4Address{127, 0, 0, 1}));
        QCOMPARE(COrgMessageBox::AnsweredTexts().size(), 1);
    }

    void FilterButtons() {
        Fixture fixture;
        CHomeDlg& home = *fixture.home;
        const auto states = [&] {
            return QString("%1%2%3%4")
                .arg(home.FilterButton(0)->GetCheckState())
                .arg(home.FilterButton(1)->GetCheckState())
                .arg(home.FilterButton(2)->GetCheckState())
                .arg(home.FilterButton(3)->GetCheckState());
        };
        home.FilterButton(1)->click();
        home.FilterButton(2)->click();
        QCOMPARE(states(), QStringLiteral("0110"));
        QCOMPARE(home.GetResultFilter(), FILTER_AREA_MASK | FILTER_SIZE_MASK);
        home.FilterButton(3)->click(); // all three: "すべて" instead
        QCOMPARE(states(), QStringLiteral("1000"));
        QCOMPARE(home.GetResultFilter(), FILTER_ALL);
        home.FilterButton(0)->click(); // off again; the others stay off
        QCOMPARE(states(), QStringLiteral("0000"));
        home.FilterButton(3)->click();
        home.FilterButton(0)->click();
        QCOMPARE(states(), QStringLiteral("1000"));
    }
};

} // namespace
} // namespace orlo

QTEST_MAIN(orlo::HomeDlgTest)
#include "HomeDlgTest.moc"
