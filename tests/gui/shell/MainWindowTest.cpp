#include "gui/shell/MiraSettingsDlg.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/MessageEvent.h"
#include "gui/uikit/OrgMFCButton.h"

#include <QScreen>
#include <QScrollArea>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orlo {
namespace {

using namespace std::chrono_literals;

using Log = std::vector<std::string>;

class TestPage : public CPageBase {
public:
    TestPage(std::string name, Log& log, QWidget* mainWindow, QSize size)
        : CPageBase(mainWindow), name_(std::move(name)), log_(log) {
        WindowSizeForClient(size);
    }
    ~TestPage() override { log_.push_back(name_ + " destroyed"); }

    bool CanLeavePage() override {
        ++leaveAsked;
        return allowLeave;
    }

    bool allowLeave = true;
    int leaveAsked = 0;

private:
    std::string name_;
    Log& log_;
};

// A monitoring page with a running background loop that it joins when destroyed.
class TestHomePage : public CHomePageBase {
public:
    TestHomePage(DeviceSession& session, Log& log, QWidget* mainWindow)
        : CHomePageBase(mainWindow), session_(session), log_(log) {
        WindowSizeForClient({688, 500});
        loop_ = std::thread([this] {
            while (!exitRequested_) {
                ++cycles_;
                std::this_thread::sleep_for(1ms);
            }
        });
    }
    ~TestHomePage() override {
        exitRequested_ = true;
        loop_.join();
        // The session must still exist while the page goes.
        log_.push_back(session_.IsConnected() ? "home destroyed (connected)" : "home destroyed");
    }

    bool CanLeavePage() override {
        ++leaveAsked;
        return allowLeave; // false: its loop could not be stopped
    }
    void ResumeMonitoring() override { ++resumed; }
    void PrepareToClose() override {
        log_.push_back("home closing");
        windowShownWhenClosing.push_back(window()->isVisible());
    }

    bool allowLeave = true;
    int leaveAsked = 0;
    int resumed = 0;
    int disconnects = 0;
    std::vector<bool> windowShownWhenClosing;
    std::atomic<int> cycles_{0};

protected:
    bool event(QEvent* event) override {
        if (event->type() == MessageType(WM_HOME_DISCONNECT)) {
            ++disconnects;
            return true;
        }
        return CHomePageBase::event(event);
    }

private:
    DeviceSession& session_;
    Log& log_;
    std::atomic<bool> exitRequested_{false};
    std::thread loop_;
};

struct Fixture {
    Log log;
    TestHomePage* home = nullptr;
    TestPage* camera = nullptr;
    TestPage* detection = nullptr;
    TestPage* system = nullptr;
    std::unique_ptr<CMiraSettingsDlg> window;

    Fixture() {
        PageFactory factory;
        factory.home = [this](DeviceSession& session, CMiraSettingsDlgBase& main) {
            auto page = std::make_unique<TestHomePage>(session, log, &main);
            home = page.get();
            return page;
        };
        const auto settings = [this](const char* name, TestPage*& slot, QSize size) {
            return [this, name, &slot, size](DeviceSession&, CMiraSettingsDlgBase& main) {
                auto page = std::make_unique<TestPage>(name, log, &main, size);
                slot = page.get();
                return page;
            };
        };
        factory.camera = settings("camera", camera, {688, 600});
        factory.detection = settings("detection", detection, {704, 400});
        factory.system = settings("system", system, {600, 300});
        window = std::make_unique<CMiraSettingsDlg>(factory);
        window->show();
    }

    COrgMFCButton* Button(PageId page) const { return window->NavigationButton(page); }
    void Click(PageId page) const { QTest::mouseClick(Button(page), Qt::LeftButton); }
    void Send(int message) const { SendMessageTo(window.get(), message); }
    void Post(int message) const {
        PostMessageTo(window.get(), message);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    bool Selected(PageId page) const { return Button(page)->HasPressedLook(); }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void settingsButtonsAreDisabledBeforeAConnection() {
        Fixture f;
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(f.Button(PageId::Home)->isHidden());
        for (const PageId page : {PageId::Camera, PageId::Detection, PageId::System}) {
            QVERIFY(!f.Button(page)->isEnabled());
            f.Click(page);
        }
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QCOMPARE(f.home->leaveAsked, 0);
        QVERIFY(f.home->isVisible());
        QVERIFY(f.window->windowTitle().isEmpty());
    }

    void connectionEnablesTheSettingsPages() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        f.Click(PageId::Camera);
        QCOMPARE(f.home->leaveAsked, 1);
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        QVERIFY(f.Selected(PageId::Camera));
        QVERIFY(!f.Selected(PageId::Detection));
        QVERIFY(f.Button(PageId::Home)->isVisible());
        QVERIFY(f.camera->isVisible());
        QVERIFY(!f.home->isVisible());
        QVERIFY(!f.detection->isVisible());
    }

    void clickingTheShownPagesButtonAsksNothing() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        f.Click(PageId::Camera);
        f.Click(PageId::Camera);
        QCOMPARE(f.camera->leaveAsked, 0);
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        QVERIFY(f.Selected(PageId::Camera));

        f.Click(PageId::Detection);
        f.Click(PageId::Home);
        f.Click(PageId::Home);
        QCOMPARE(f.home->leaveAsked, 1);
        QCOMPARE(f.home->resumed, 1);
    }

    void refusedLeaveKeepsPageAndSelection() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        f.Click(PageId::Detection);
        f.detection->allowLeave = false;
        f.Click(PageId::Camera);
        f.Click(PageId::Home);
        QCOMPARE(f.detection->leaveAsked, 2);
        QCOMPARE(f.window->CurrentPage(), PageId::Detection);
        QVERIFY(f.Selected(PageId::Detection));
        QVERIFY(!f.Selected(PageId::Camera));
        QVERIFY(f.Button(PageId::Home)->isVisible());
        QVERIFY(f.detection->isVisible());
        QCOMPARE(f.home->resumed, 0);
    }

    void monitoringPageThatCannotStopItsLoopIsKept() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        f.home->allowLeave = false;
        f.Click(PageId::Camera);
        f.Post(WM_SHOW_CAMERA_PAGE);
        QCOMPARE(f.home->leaveAsked, 2);
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(f.home->isVisible());
        QVERIFY(!f.camera->isVisible());
        QVERIFY(!f.Selected(PageId::Camera));
    }

    void systemPageIsNeverAsked() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        f.Click(PageId::System);
        f.system->allowLeave = false;
        f.Click(PageId::Home);
        QCOMPARE(f.system->leaveAsked, 0);
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QCOMPARE(f.home->resumed, 1);
        QVERIFY(!f.Selected(PageId::System));
        QVERIFY(f.Button(PageId::Home)->isHidden());
    }

    void returnHomeWhileHomeStillDisconnects() {
        Fixture f;
        f.Post(WM_RETURN_HOME);
        QCOMPARE(f.home->disconnects, 1);
        QCOMPARE(f.home->leaveAsked, 0);
        QCOMPARE(f.home->resumed, 0);
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
    }

    void returnHomeLeavesASettingsPageWithoutAsking() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        f.Click(PageId::Camera);
        f.camera->allowLeave = false;
        f.Post(WM_RETURN_HOME_LINK_LOST);
        QCOMPARE(f.camera->leaveAsked, 0);
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
        QVERIFY(f.home->isVisible());
        QVERIFY(!f.camera->isVisible());
        QVERIFY(!f.Selected(PageId::Camera));
        QVERIFY(f.Button(PageId::Home)->isHidden());
        QCOMPARE(f.home->disconnects, 1);
        QCOMPARE(f.home->resumed, 0);
    }

    void showCameraPageRequest() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        f.Post(WM_SHOW_CAMERA_PAGE);
        QCOMPARE(f.home->leaveAsked, 1);
        QCOMPARE(f.window->CurrentPage(), PageId::Camera);
        QVERIFY(f.Selected(PageId::Camera));
        f.Post(WM_SHOW_CAMERA_PAGE);
        QCOMPARE(f.camera->leaveAsked, 0);

        f.Click(PageId::Detection);
        f.detection->allowLeave = false;
        f.Post(WM_SHOW_CAMERA_PAGE);
        QCOMPARE(f.window->CurrentPage(), PageId::Detection);
        QVERIFY(f.Selected(PageId::Detection));
    }

    void disconnectionClearsCaptionAndNavigation() {
        Fixture f;
        f.Send(WM_DEVICE_CONNECTED);
        // The connect worker sets the caption from its own thread.
        std::thread worker([&f] { f.window->SetCaption(QStringLiteral("Orlo-X1 1.2.3.4  COM3:115200")); });
        worker.join();
        QTRY_COMPARE(f.window->windowTitle(), QStringLiteral("Orlo-X1 1.2.3.4  COM3:115200"));
        f.Send(WM_DEVICE_DISCONNECTED);
        QVERIFY(f.window->windowTitle().isEmpty());
        for (const PageId page : {PageId::Home, PageId::Camera, PageId::Detection, PageId::System}) {
            QVERIFY(!f.Button(page)->isEnabled());
        }
    }

    void layoutOfColumnAndPages() {
        Fixture f;
        QCOMPARE(f.Button(PageId::Home)->geometry(), QRect(8, 16, 120, 48));
        const QRect camera = f.Button(PageId::Camera)->geometry();
        const QRect detection = f.Button(PageId::Detection)->geometry();
        QCOMPARE(camera.left(), 8);
        QCOMPARE(camera.size(), QSize(120, 48));
        QCOMPARE(detection.top(), camera.bottom() + 1 + 8);
        // Unscrolled, the pages lie right of the column; only they are in the scroll area.
        QWidget* scrolled = f.window->ScrollArea()->widget();
        for (CPageBase* page : {static_cast<CPageBase*>(f.home), static_cast<CPageBase*>(f.camera),
                                static_cast<CPageBase*>(f.detection), static_cast<CPageBase*>(f.system)}) {
            QCOMPARE(QRect(page->mapTo(f.window.get(), QPoint(0, 0)), page->size()),
                     QRect(136, 16, 704, 600));
            QVERIFY(scrolled->isAncestorOf(page));
        }
        for (const PageId page : {PageId::Home, PageId::Camera, PageId::Detection, PageId::System}) {
            QVERIFY(!scrolled->isAncestorOf(f.Button(page)));
        }
        const QSize content(136 + 704, 16 + 600);
        // The window shows it whole where the screen has room, else it keeps to the screen.
        const QRect room = f.window->screen()->availableGeometry();
        if (room.width() >= content.width() + 16 && room.height() >= content.height() + 40) {
            QCOMPARE(f.window->size(), content);
        } else {
            QVERIFY(f.window->width() <= room.width() && f.window->height() <= room.height());
        }
    }

    void enterEscapeAndF1DoNothing() {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_F1}) {
            QTest::keyClick(f.window.get(), key);
        }
        QVERIFY(f.window->isVisible());
        QCOMPARE(f.window->result(), 0);

        // Not even on a focused navigation button.
        f.Send(WM_DEVICE_CONNECTED);
        f.Button(PageId::Camera)->setFocus();
        QTest::keyClick(f.Button(PageId::Camera), Qt::Key_Return);
        QCOMPARE(f.window->CurrentPage(), PageId::Home);
    }

    void shutdownWithARunningLoopEndsCleanly() {
        auto f = std::make_unique<Fixture>();
        f->Send(WM_DEVICE_CONNECTED);
        f->Click(PageId::Detection);
        TestHomePage* home = f->home;
        QTimer::singleShot(50, f->window.get(), [&f] { f->window->close(); });
        QCOMPARE(f->window->exec(), 1);
        QVERIFY(home->cycles_ > 0);
        // The monitoring page ends its work while the window is still up.
        QCOMPARE(home->windowShownWhenClosing, std::vector<bool>{true});
        Log& log = f->log;
        f->window.reset();
        log.erase(std::remove(log.begin(), log.end(), "home closing"), log.end());
        QCOMPARE(log, (Log{"home destroyed", "camera destroyed", "detection destroyed", "system destroyed"}));
    }

    void destroyingWithoutACloseStillPreparesTheMonitoringPage() {
        auto f = std::make_unique<Fixture>();
        Log& log = f->log;
        f->window.reset();
        QCOMPARE(log.at(0), std::string("home closing"));
        QCOMPARE(log.at(1), std::string("home destroyed"));
    }
};

} // namespace orlo

QTEST_MAIN(orlo::MainWindowTest)
#include "MainWindowTest.moc"
