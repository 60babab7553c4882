// The longest time the main window's event loop does not answer while the tool is used: connecting
// (a sensor that answers, nothing listening, a silent peer), monitoring, switching to the camera,
// detection and system pages and back, applying the detection page ("反映") and closing the window
// while monitoring; over TCP and over a pseudo-terminal at every serial speed, with the simulator
// pacing the wire at that speed, and with a sensor that freezes (stops answering) while monitored.
// Then every operation that offers "中止" is given up with it, over TCP and the paced pty at the
// highest speed asked for: the milliseconds from the click to the end of the wait (target 200 ms,
// limit 1000 ms) beside the wait's nominal duration; and the close with a frozen sensor, from the
// close request to the window gone, beside the detection's time-out that the close used to wait for.
// The real main window and pages run (offscreen unless QT_QPA_PLATFORM says otherwise) against the
// in-process simulator; the user's steps go through the same menu actions, dialogs and buttons.
//
// A 1-ms timer on the user-interface thread notes when it fires; the largest gap between two firings
// is the longest stall. One line per scenario. Target: at most 200 ms each.
// Usage: responsiveness [--rates LIST|none] [--monitor-seconds S] [--no-frozen] [--no-failing] [--no-cancel]
//   --rates: comma-separated serial speeds (default 9600,38400,115200,230400,460800), none for TCP only
//        responsiveness --startup
//   runs the program's own start-up sequence instead and prints the time from the start of the process
//   to the first paint of the main window, then closes it.
#include "core/config/AppConfig.h"
#include "core/device/ConnectProcedures.h"
#include "core/device/DetectionCommands.h"
#include "core/settings/ModeList.h"
#include "gui/connect/ComConnectDlg.h"
#include "gui/connect/LanConnectDlg.h"
#include "gui/monitor/HomeDlg.h"
#include "gui/settings/CameraDlg.h"
#include "gui/settings/DetectSettingDlg.h"
#include "gui/settings/SettingBaseDlg.h"
#include "gui/settings/SystemDlg.h"
#include "gui/shell/MiraSettingsApp.h"
#include "gui/shell/MiraSettingsDlg.h"
#include "gui/shell/WaitDlg.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMessageBox.h"
#include "gui/uikit/RangeEdit.h"
#include "sim/Simulator.h"
#include "tests/support/StalledListener.h"
#include "tests/support/WaitCancel.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMetaEnum>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace orlo;
using Clock = std::chrono::steady_clock;

constexpr double TargetMs = 200.0;
// From the click on "中止" (or the close request) to the end of the wait.
constexpr double CancelTargetMs = 200.0;
constexpr double CancelLimitMs = 1000.0;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The application, timing the handling of every event on the user-interface thread: the event that
// kept the thread longest by itself (its handler's time without the events handled in nested loops and
// without the time those loops slept) names the cause of a stall.
class TimedApplication : public QApplication {
public:
    struct Culprit {
        double selfMs = 0;
        std::string what;
    };

    TimedApplication(int& argc, char** argv) : QApplication(argc, argv) {
        auto* dispatcher = QAbstractEventDispatcher::instance();
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                         [this] { blockedAt_ = Clock::now(); });
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] {
            if (blockedAt_ && !frames_.empty()) {
                frames_.back().excluded += Clock::now() - *blockedAt_;
            }
            blockedAt_.reset();
        });
    }

    Culprit TakeCulprit() { return std::exchange(culprit_, {}); }

    bool notify(QObject* receiver, QEvent* event) override {
        if (QThread::currentThread() != thread()) {
            return QApplication::notify(receiver, event);
        }
        frames_.push_back({Clock::now(), {}});
        const int type = event->type();
        const bool handled = QApplication::notify(receiver, event);
        const Frame frame = frames_.back();
        frames_.pop_back();
        const Clock::duration total = Clock::now() - frame.start;
        if (!frames_.empty()) {
            frames_.back().excluded += total;
        }
        const double selfMs = Ms(total - frame.excluded);
        if (selfMs > culprit_.selfMs) {
            culprit_.selfMs = selfMs;
            const char* name = QMetaEnum::fromType<QEvent::Type>().valueToKey(type);
            // The probe's own call into the tool (a menu action, a button, a page request).
            culprit_.what = receiver == this ? std::string("the step's call into the window")
                                             : std::string(receiver->metaObject()->className()) + " " +
                                                   (name != nullptr ? name : std::to_string(type));
        }
        return handled;
    }

private:
    struct Frame {
        Clock::time_point start;
        Clock::duration excluded;
    };
    std::vector<Frame> frames_;
    std::optional<Clock::time_point> blockedAt_;
    Culprit culprit_;
};

// Notes every firing of a 1-ms timer on the user-interface thread; the gaps between firings are
// the times the event loop did not answer.
class StallWatch {
public:
    struct Figures {
        double longestMs = 0;
        double p99Ms = 0;
    };

    StallWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }
    void Begin() {
        gaps_.clear();
        last_ = Clock::now();
        timer_.start();
    }
    Figures End() {
        Tick();
        timer_.stop();
        std::sort(gaps_.begin(), gaps_.end());
        Figures figures;
        figures.longestMs = gaps_.back();
        figures.p99Ms = gaps_[static_cast<std::size_t>(0.99 * static_cast<double>(gaps_.size() - 1))];
        return figures;
    }

private:
    void Tick() {
        const Clock::time_point now = Clock::now();
        gaps_.push_back(Ms(now - last_));
        last_ = now;
    }

    QTimer timer_;
    Clock::time_point last_;
    std::vector<double> gaps_;
};

// Runs the event loop until done() holds or the limit has passed.
bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds limit) {
    const Clock::time_point deadline = Clock::now() + limit;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || Clock::now() >= deadline) {
            loop.quit();
        }
    });
    poll.start(5);
    loop.exec();
    return done();
}

void PressReturn(QWidget* widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
}

// Plays the user at the modal windows: "接続" in the connect dialogs, OK in every message box
// (whose texts it keeps), "report.html" in the working folder in a file dialog. The wait dialog is
// left alone.
class ModalUser {
public:
    ModalUser() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Act(); });
        timer_.start(10);
    }
    QStringList TakeMessages() { return std::exchange(messages_, {}); }

private:
    void Act() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || qobject_cast<CWaitDlg*>(modal) != nullptr) {
            return;
        }
        if (qobject_cast<CComConnectDlg*>(modal) != nullptr ||
            qobject_cast<CLanConnectDlg*>(modal) != nullptr) {
            PressReturn(modal);
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages_ << box->text().simplified();
            box->done(0);
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            // The name field takes the selection only while it has no focus.
            if (QWidget* focus = files->focusWidget()) {
                focus->clearFocus();
            }
            files->selectFile(QDir::current().filePath(QStringLiteral("report.html")));
            static_cast<QDialog*>(files)->accept();
        }
    }

    QTimer timer_;
    QStringList messages_;
};

// A loopback port on which nothing listens (taken from the system and given back).
std::uint16_t UnusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

sim::FaultSet Faults(const std::string& list) {
    sim::FaultSet faults;
    std::string error;
    faults.add(list, error);
    return faults;
}

PageFactory RealPages() {
    PageFactory pages;
    pages.home = [](DeviceSession& session, CMiraSettingsDlgBase& window) {
        return std::unique_ptr<CHomePageBase>(std::make_unique<CHomeDlg>(session, window));
    };
    const auto modeList = [] {
        const auto programDirectory = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
        return LocateModeList(programDirectory);
    };
    pages.camera = [modeList](DeviceSession& session, CMiraSettingsDlgBase& window) {
        return std::unique_ptr<CPageBase>(std::make_unique<CCameraDlg>(session, &window, modeList()));
    };
    pages.detection = [](DeviceSession& session, CMiraSettingsDlgBase& window) {
        return std::unique_ptr<CPageBase>(std::make_unique<CDetectSettingDlg>(session, &window, "."));
    };
    pages.system = [modeList](DeviceSession& session, CMiraSettingsDlgBase& window) {
        return std::unique_ptr<CPageBase>(std::make_unique<CSystemDlg>(session, &window, modeList()));
    };
    return pages;
}

// How the tool reaches the sensor in one run of the scenarios.
struct Link {
    std::string name;
    std::optional<std::uint32_t> baud; // serial at this speed, else TCP
    bool pictures = true;              // the monitoring loop asks for pictures (the default)
    bool detectionPage = true;         // the detection page (its picture) and its apply
};

class Probe {
public:
    Probe(TimedApplication& application, int monitorSeconds)
        : application_(application), monitorSeconds_(monitorSeconds) {}

    // Connects, monitors, visits every page with an apply, goes home and closes while monitoring.
    void UsualSession(const Link& link) {
        auto simulator = OpenWindow(link, {});
        if (!simulator) {
            return;
        }
        Connect(link, "connect");
        Monitor(link, "monitoring");
        if (!Home()->IsMonitoring()) {
            CloseWindow(link, "close");
            return;
        }
        ShowPage(link, PageId::Camera, "to camera page");
        if (link.detectionPage) {
            ShowPage(link, PageId::Detection, "to detection page");
            Apply(link);
        }
        ShowPage(link, PageId::System, "to system page");
        Step(
            link, "back to monitoring", [this] { window_->RequestPage(PageId::Home); },
            [this] { return Home()->IsMonitoring(); });
        Monitor(link, "monitoring again");
        CloseWindow(link, "close while monitoring");
    }

    // Connects to a sensor that never answers, and to a port where nothing is.
    void FailingConnects(const Link& link) {
        auto silent = OpenWindow(link, Faults("silent"));
        if (!silent) {
            return;
        }
        Connect(link, "connect to a silent sensor", false);
        silent.reset();
        if (link.baud) {
            AppConfig(".").WriteComPort("/dev/orlo-probe-absent");
        } else {
            AppConfig(".").WritePortNo(UnusedPort());
        }
        Connect(link, link.baud ? "connect to an absent port" : "connect, nothing listening", false);
        CloseWindow(link, "close");
    }

    // A sensor that stops answering while monitored: the loop waits out its time-out; leaving the page
    // and closing wait for it behind the wait dialog.
    void FrozenSensor(const Link& link, bool leavePage) {
        auto simulator = OpenWindow(link, {});
        if (!simulator) {
            return;
        }
        Connect(link, "connect");
        simulator->setFaults(Faults("silent"));
        Monitor(link, "monitoring, sensor frozen");
        if (leavePage) {
            Step(
                link, "to camera page, sensor frozen", [this] { ShowPageNow(PageId::Camera); },
                [this] { return QApplication::activeModalWidget() == nullptr; });
        }
        const auto start = Clock::now();
        CloseWindow(link, "close, sensor frozen");
        const double ms = Ms(Clock::now() - start);
        // The detection's time-out at the session's speed (115200 over TCP): what the close waited for
        // before it cut the exchange.
        const int timeoutMs = DetectionTimeoutMs(link.baud.value_or(115200), 1);
        ReportCancel(link, "close, sensor frozen", ms, "the close waited for the detection's time-out",
                     timeoutMs);
    }

    // Every operation that offers 中止, given up with it: the loop stopped with the sensor frozen, the
    // detection page's load, an editor's picture, the detection page's apply, the report's reading,
    // the wait for a restarted sensor and a connect that never ends.
    void CancelEach(const Link& link) {
        auto simulator = OpenWindow(link, {}, std::chrono::minutes(2));
        if (!simulator) {
            return;
        }
        // Cycles back to back, so that a frozen sensor is always caught in a detection.
        AppConfig(".").WriteRenewInterval(0);
        const auto setFaults = [&simulator](const std::string& list) { simulator->setFaults(Faults(list)); };
        Connect(link, "connect");
        setFaults("silent");
        // A detection now waits for an answer that never comes. On the serial line the answer already
        // on the wire is let through first (a picture takes 1.7 s at 460800 baud): bytes still coming
        // after the cut would meet the next connect's probe.
        Pause(std::chrono::milliseconds(link.baud ? 2500 : 300));
        Cancel(link, "cancel: stop a frozen loop", [this] { ShowPageNow(PageId::Camera); });

        setFaults("");
        Connect(link, "connect again");
        auto* detection = static_cast<CDetectSettingDlg*>(window_->Page(PageId::Detection));
        ShowPage(link, PageId::Detection, "to detection page");
        setFaults("silent@0x03"); // the values come, the picture does not
        Cancel(link, "cancel: detection page load",
               [detection] { PostMessageTo(detection, CSettingBaseDlg::WM_APP_LOAD); });

        setFaults("");
        Connect(link, "connect again");
        ShowPage(link, PageId::Detection, "to detection page");
        setFaults("silent@0x03");
        Cancel(link, "cancel: editor picture load", [detection] { detection->AreaMaskButton()->click(); });

        setFaults("");
        Connect(link, "connect again");
        ShowPage(link, PageId::Detection, "to detection page");
        setFaults("delay=600@0x61"); // an area mask's write, within its 1 s time-out
        Cancel(
            link, "cancel: detection page apply", [detection] { ChangeThresholdAndApply(*detection); },
            std::chrono::milliseconds(200));

        setFaults("");
        ShowPage(link, PageId::System, "to system page");
        auto* system = static_cast<CSystemDlg*>(window_->Page(PageId::System));
        setFaults("silent@0x03");
        Cancel(link, "cancel: report reading",
               [system] { system->Button(SystemOperation::Report)->click(); });

        setFaults("");
        Connect(link, "connect again");
        ShowPage(link, PageId::System, "to system page");
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
        Cancel(
            link, "cancel: wait for restarted sensor",
            [system] { system->Button(SystemOperation::Restart)->click(); }, std::chrono::seconds(1));
        COrgMessageBox::ResetPresets();

        // Last, as it changes the remembered connection.
        test::StalledListener stalled;
        if (link.baud) {
            setFaults("silent");
            Cancel(
                link, "cancel: COM connect, sensor silent", [this] { Home()->ComAction()->trigger(); },
                std::chrono::milliseconds(500));
        } else if (stalled.Valid()) {
            AppConfig(".").WritePortNo(stalled.Port());
            Cancel(link, "cancel: LAN connect, no answer", [this] { Home()->LanAction()->trigger(); });
        }
        CloseWindow(link, "close");
        AppConfig(".").WriteRenewInterval(3000);
    }

    // The slowest of all cancels and frozen closes, click to end.
    double SlowestCancelMs() const { return slowestCancelMs_; }
    const std::string& SlowestCancel() const { return slowestCancel_; }
    // The longest stall of all scenarios; false when a scenario did not come to its end.
    double LongestMs() const { return longestMs_; }
    const std::string& LongestScenario() const { return longestScenario_; }
    int Missed() const { return missed_; }
    bool AllCompleted() const { return incomplete_ == 0; }

private:
    std::unique_ptr<sim::Simulator> StartSimulator(const Link& link, const sim::FaultSet& faults,
                                                   std::chrono::milliseconds restartSilence) {
        sim::SimConfig config;
        config.restartSilence = restartSilence;
        if (link.baud) {
            config.pty = true;
            config.baud = *link.baud;
            config.throttle = true;
        } else {
            config.tcp = sim::TcpEndpoint{"127.0.0.1", 0};
        }
        config.faults = faults;
        auto simulator = std::make_unique<sim::Simulator>(config);
        std::string error;
        if (!simulator->start(error)) {
            std::fprintf(stderr, "simulator: %s\n", error.c_str());
            ++incomplete_;
            return nullptr;
        }
        return simulator;
    }

    static void PrepareConfig(const Link& link, const sim::Simulator& simulator) {
        AppConfig config(".");
        config.WriteGetImage(link.pictures);
        if (link.baud) {
            config.WriteComPort(simulator.ptyPath());
            config.WriteBaudRate(static_cast<std::int32_t>(*link.baud));
        } else {
            config.WriteIpAddress({127, 0, 0, 1});
            config.WritePortNo(simulator.tcpPort());
        }
    }

    // A simulator for the link and the main window configured to reach it; none when it did not start.
    std::unique_ptr<sim::Simulator>
    OpenWindow(const Link& link, const sim::FaultSet& faults,
               std::chrono::milliseconds restartSilence = std::chrono::seconds(5)) {
        auto simulator = StartSimulator(link, faults, restartSilence);
        if (!simulator) {
            return nullptr;
        }
        PrepareConfig(link, *simulator);
        window_ = std::make_unique<CMiraSettingsDlg>(RealPages());
        window_->show();
        WaitUntil([this] { return window_->isVisible(); }, std::chrono::seconds(5));
        return simulator;
    }

    CHomeDlg* Home() const { return static_cast<CHomeDlg*>(window_->Page(PageId::Home)); }

    void Connect(const Link& link, const std::string& name, bool expectMonitoring = true) {
        QAction* action = link.baud ? Home()->ComAction() : Home()->LanAction();
        Step(
            link, name, [action] { action->trigger(); },
            [this, expectMonitoring] { return Home()->IsMonitoring() == expectMonitoring; });
    }

    void Monitor(const Link& link, const std::string& name) {
        const Clock::time_point end = Clock::now() + std::chrono::seconds(monitorSeconds_);
        Step(
            link, name, [] {}, [end] { return Clock::now() >= end; });
    }

    // Shows a page as its navigation button does, with the page's load that the showing posts.
    void ShowPageNow(PageId page) {
        window_->RequestPage(page);
        if (auto* settings = dynamic_cast<CSettingBaseDlg*>(window_->Page(page));
            settings && settings->isVisible()) {
            QCoreApplication::sendPostedEvents(settings, MessageType(CSettingBaseDlg::WM_APP_LOAD));
        }
    }

    void ShowPage(const Link& link, PageId page, const std::string& name) {
        Step(
            link, name, [this, page] { ShowPageNow(page); },
            [this, page] { return window_->CurrentPage() == page; });
    }

    // A threshold one step off what the page shows, then "反映".
    static void ChangeThresholdAndApply(CDetectSettingDlg& page) {
        const int threshold = page.ThresholdEdit()->text().toInt();
        page.ThresholdEdit()->setText(QString::number(threshold >= 1000 ? 999 : threshold + 1));
        page.ClickApply();
    }

    void Apply(const Link& link) {
        auto* page = static_cast<CDetectSettingDlg*>(window_->Page(PageId::Detection));
        Step(
            link, "apply on detection page", [page] { ChangeThresholdAndApply(*page); }, [] { return true; });
        if (page->LastResult() != RC_OK) {
            std::printf("%-28s apply ended with result %d\n", link.name.c_str(), page->LastResult());
        }
    }

    void Pause(std::chrono::milliseconds duration) {
        const Clock::time_point end = Clock::now() + duration;
        WaitUntil([end] { return Clock::now() >= end; }, std::chrono::seconds(60));
    }

    // Gives up the wait that act starts, with a click on 中止 once the dialog has shown it for `after`.
    void Cancel(const Link& link, const std::string& name, const std::function<void()>& act,
                std::chrono::milliseconds after = std::chrono::milliseconds(0)) {
        test::WaitCancel cancel(after);
        Step(link, name, act, [&cancel] { return cancel.MsFromPressToEnd() >= 0; });
        if (!cancel.Pressed()) {
            std::printf("%-26s %-34s no cancel was offered\n", link.name.c_str(), name.c_str());
            ++incomplete_;
            return;
        }
        ReportCancel(link, name, cancel.MsFromPressToEnd(), "the wait's nominal duration",
                     cancel.NominalMs());
        Pause(std::chrono::milliseconds(100)); // what the cancel posted (going home) is handled
    }

    void ReportCancel(const Link& link, const std::string& name, double ms, const char* beside,
                      int besideMs) {
        const bool met = ms <= CancelTargetMs;
        const bool withinLimit = ms <= CancelLimitMs;
        std::printf("%-26s %-34s click to end %7.1f ms  [target <= %.0f ms, limit %.0f ms] %s  (%s: %d ms)\n",
                    link.name.c_str(), name.c_str(), ms, CancelTargetMs, CancelLimitMs,
                    met ? "met" : (withinLimit ? "within limit" : "OVER LIMIT"), beside, besideMs);
        std::fflush(stdout);
        if (ms > slowestCancelMs_) {
            slowestCancelMs_ = ms;
            slowestCancel_ = link.name + ": " + name;
        }
        incomplete_ += withinLimit ? 0 : 1;
    }

    void CloseWindow(const Link& link, const std::string& name) {
        Step(
            link, name,
            [this] {
                window_->close();
                window_.reset();
            },
            [] { return true; });
    }

    // Measures one user step: act runs from the event loop (and returns once any modal run it starts
    // has ended); the step ends when done() holds after act has returned.
    void Step(const Link& link, const std::string& name, const std::function<void()>& act,
              const std::function<bool()>& done) {
        bool acted = false;
        application_.TakeCulprit();
        watch_.Begin();
        const Clock::time_point start = Clock::now();
        QTimer::singleShot(0, qApp, [&] {
            act();
            acted = true;
        });
        const bool completed = WaitUntil([&] { return acted && done(); }, std::chrono::seconds(180));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const StallWatch::Figures figures = watch_.End();
        const TimedApplication::Culprit culprit = application_.TakeCulprit();
        const QStringList messages = user_.TakeMessages();
        const bool met = figures.longestMs <= TargetMs;
        std::printf("%-26s %-30s longest %6.1f ms  p99 %5.1f ms  %5.1f s  [target <= %.0f ms] %s  (slowest "
                    "handler %.1f ms: %s)%s%s\n",
                    link.name.c_str(), name.c_str(), figures.longestMs, figures.p99Ms, seconds, TargetMs,
                    met ? "met" : "MISSED", culprit.selfMs, culprit.what.c_str(),
                    completed ? "" : "  (did not complete)",
                    messages.isEmpty()
                        ? ""
                        : qPrintable(QStringLiteral("  message: ") + messages.join(QStringLiteral(" / "))));
        std::fflush(stdout);
        if (figures.longestMs > longestMs_) {
            longestMs_ = figures.longestMs;
            longestScenario_ = link.name + ": " + name;
        }
        missed_ += met ? 0 : 1;
        incomplete_ += completed ? 0 : 1;
    }

    TimedApplication& application_;
    const int monitorSeconds_;
    StallWatch watch_;
    ModalUser user_;
    std::unique_ptr<CMiraSettingsDlg> window_;
    double longestMs_ = 0;
    std::string longestScenario_;
    double slowestCancelMs_ = 0;
    std::string slowestCancel_;
    int missed_ = 0;
    int incomplete_ = 0;
};

// Seconds since boot at which this process started (clock-tick resolution).
double ProcessStartSeconds() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Field 22, counted after the command name in parentheses (field 2), which may hold spaces.
    std::size_t at = text.rfind(')');
    for (int field = 2; field < 22 && at != std::string::npos; ++field) {
        at = text.find(' ', at + 1);
    }
    return at == std::string::npos
               ? 0
               : std::atof(text.c_str() + at + 1) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double SecondsSinceBoot() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Notes the first paint inside the main window and closes it. The window itself may never get one:
// its scrolled content covers it.
class FirstPaint : public QObject {
public:
    std::optional<double> seconds;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || seconds) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* window = widget != nullptr ? qobject_cast<CMiraSettingsDlgBase*>(widget->window()) : nullptr;
        if (window != nullptr) {
            seconds = SecondsSinceBoot() - ProcessStartSeconds();
            QTimer::singleShot(0, window, [window] { window->close(); });
        }
        return false;
    }
};

int StartupTime(int argc, char** argv) {
    QApplication application(argc, argv);
    FirstPaint firstPaint;
    application.installEventFilter(&firstPaint);
    CMiraSettingsApp app(RealPages());
    app.InitInstance({});
    if (!firstPaint.seconds) {
        std::fprintf(stderr, "the main window was never painted\n");
        return 1;
    }
    std::printf("start-up to the first paint of the main window: %.0f ms (from the start of the process, "
                "platform %s)\n",
                *firstPaint.seconds * 1000.0, qPrintable(QGuiApplication::platformName()));
    return 0;
}

bool ParseRates(const std::string& text, std::vector<std::uint32_t>& rates) {
    rates.clear();
    if (text == "none") {
        return true;
    }
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(',', begin), text.size());
        const long rate = std::atol(text.substr(begin, end - begin).c_str());
        if (std::find(BaudRateTable.begin(), BaudRateTable.end(), static_cast<std::uint32_t>(rate)) ==
            BaudRateTable.end()) {
            return false;
        }
        rates.push_back(static_cast<std::uint32_t>(rate));
        begin = end + 1;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::uint32_t> rates(BaudRateTable.begin(), BaudRateTable.end());
    int monitorSeconds = 3;
    bool frozen = true;
    bool failing = true;
    bool cancel = true;
    if (argc == 2 && std::string(argv[1]) == "--startup") {
        return StartupTime(argc, argv);
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rates" && i + 1 < argc && ParseRates(argv[i + 1], rates)) {
            ++i;
        } else if (arg == "--monitor-seconds" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            monitorSeconds = std::atoi(argv[++i]);
        } else if (arg == "--no-frozen") {
            frozen = false;
        } else if (arg == "--no-failing") {
            failing = false;
        } else if (arg == "--no-cancel") {
            cancel = false;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--rates LIST|none] [--monitor-seconds S] [--no-frozen] [--no-failing] "
                         "[--no-cancel]\n",
                         argv[0]);
            return 2;
        }
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    TimedApplication application(argc, argv);
    QTemporaryDir directory;
    if (!directory.isValid() || !QDir::setCurrent(directory.path())) {
        std::fprintf(stderr, "no working directory\n");
        return 1;
    }
    std::printf("platform %s; one 1-ms timer on the user-interface thread; RenewInterval 3000 (default)\n",
                qPrintable(QGuiApplication::platformName()));
    Probe probe(application, monitorSeconds);
    const Link tcp{"tcp", std::nullopt, true, true};
    probe.UsualSession(tcp);
    for (const std::uint32_t rate : rates) {
        // Below 115200 a 320 x 240 picture takes 20 s (38400) to 80 s (9600) on the wire: the loop runs
        // without pictures there and the detection page, which loads one, is left out.
        const bool fast = rate >= 115200;
        probe.UsualSession(
            {"pty " + std::to_string(rate) + (fast ? "" : " (no pictures)"), rate, fast, fast});
    }
    if (failing) {
        probe.FailingConnects(tcp);
        probe.FailingConnects({"pty 115200", 115200u, true, true});
    }
    if (frozen) {
        probe.FrozenSensor(tcp, true);
        if (!rates.empty()) {
            const std::uint32_t rate = rates.back();
            probe.FrozenSensor({"pty " + std::to_string(rate), rate, true, true}, false);
        }
    }
    if (cancel) {
        probe.CancelEach(tcp);
        if (!rates.empty()) {
            const std::uint32_t rate = rates.back();
            probe.CancelEach({"pty " + std::to_string(rate), rate, true, true});
        }
    }
    if (frozen || cancel) {
        std::printf("slowest cancel or frozen close, click to end: %.1f ms (%s)\n", probe.SlowestCancelMs(),
                    probe.SlowestCancel().c_str());
    }
    std::printf("longest stall of all scenarios: %.1f ms (%s); %d scenario(s) over %.0f ms\n",
                probe.LongestMs(), probe.LongestScenario().c_str(), probe.Missed(), TargetMs);
    return probe.AllCompleted() ? 0 : 1;
}
