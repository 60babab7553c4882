#include "gui/uikit/ImgButton.h"
#include "gui/uikit/RangeEdit.h"
#include "tests/gui/settings/MonitoredWindow.h"

#include <QSessionManager>
#include <QWindow>

namespace orlo {
namespace {

using test::PageFixture;
using test::Text;

constexpr int MSG_LEAVE_UNAPPLIED = 1120;
constexpr int SLOW = 30000;

// The two ways a close reaches the window: the program's own close(), and the window system's close
// request, which is what the close box and Alt+F4 (handled by the window manager) send.
enum class CloseBy { Program, WindowSystem };

void Close(QWidget& window, CloseBy by) {
    if (by == CloseBy::Program) {
        window.close();
    } else {
        window.windowHandle()->close();
    }
}

const char* Name(CloseBy by) {
    return by == CloseBy::Program ? "close()" : "window system's close request";
}

// As a user does: click into the edit, select its text and type over it.
void TypeOver(QLineEdit& edit, const QString& text) {
    QTest::mouseClick(&edit, Qt::LeftButton);
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&edit, text);
}

// The window connected to the simulator, showing page with what the sensor holds.
bool ShowConnected(PageFixture& f, PageId page) {
    if (!f.ConnectSimulator()) {
        return false;
    }
    f.ShowPage(page);
    return f.window->CurrentPage() == page;
}

// The session manager the application got at start-up; it tells a session's end with
// commitDataRequest.
QSessionManager* ApplicationSessionManager() {
    return QCoreApplication::instance()->findChild<QSessionManager*>();
}

} // namespace

// Closing the main window while a settings page holds edits not yet applied asks the question that
// leaving the page asks; No keeps the window and the edits, Yes closes without sending anything.
class WindowCloseTest : public QObject {
    Q_OBJECT

private slots:
    void init() { COrgMessageBox::ResetPresets(); }

    void anUnappliedThresholdIsAskedAboutBeforeClosing() {
        for (const CloseBy by : {CloseBy::Program, CloseBy::WindowSystem}) {
            qInfo("closed by %s", Name(by));
            PageFixture f;
            QVERIFY(ShowConnected(f, PageId::Detection));
            CRangeEdit& threshold = *f.detection->ThresholdEdit();
            const QString loaded = threshold.text();
            TypeOver(threshold, QStringLiteral("400"));
            QVERIFY(threshold.text() != loaded);
            f.requests.Clear();

            COrgMessageBox::PresetAnswer(MessageAnswer::No);
            Close(*f.window, by);
            QCOMPARE(f.Shown(), QStringList{Text(MSG_LEAVE_UNAPPLIED)});
            QVERIFY(f.window->isVisible());
            QCOMPARE(f.window->result(), 0);
            QCOMPARE(f.window->CurrentPage(), PageId::Detection);
            QCOMPARE(threshold.text(), QStringLiteral("400"));

            COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
            Close(*f.window, by);
            QCOMPARE(f.Shown(), (QStringList{Text(MSG_LEAVE_UNAPPLIED), Text(MSG_LEAVE_UNAPPLIED)}));
            QVERIFY(!f.window->isVisible());
            QCOMPARE(f.window->result(), 1);
            QVERIFY(f.requests.Codes().empty()); // the edit was dropped, not applied
            QCOMPARE(f.simulator->settings().threshold, loaded.toInt());
            QVERIFY(f.unexpectedBoxes.isEmpty());
        }
    }

    void anUnappliedDirectionIsAskedAboutBeforeClosing() {
        for (const CloseBy by : {CloseBy::Program, CloseBy::WindowSystem}) {
            qInfo("closed by %s", Name(by));
            PageFixture f;
            QVERIFY(ShowConnected(f, PageId::Camera));
            QCOMPARE(f.camera->SelectedDirection(), 0);
            QTest::mouseClick(f.camera->DirectionButton(1), Qt::LeftButton);
            QCOMPARE(f.camera->SelectedDirection(), 1);

            COrgMessageBox::PresetAnswer(MessageAnswer::No);
            Close(*f.window, by);
            QCOMPARE(f.Shown(), QStringList{Text(MSG_LEAVE_UNAPPLIED)});
            QVERIFY(f.window->isVisible());
            QCOMPARE(f.camera->SelectedDirection(), 1);

            COrgMessageBox::PresetAnswer(MessageAnswer::Yes);
            Close(*f.window, by);
            QCOMPARE(f.Shown().size(), 2);
            QVERIFY(!f.window->isVisible());
            QCOMPARE(f.window->result(), 1);
            QCOMPARE(f.simulator->settings().direction, 0);
            QVERIFY(f.unexpectedBoxes.isEmpty());
        }
    }

    void withoutEditsTheWindowClosesWithoutAQuestion() {
        for (const PageId page : {PageId::Camera, PageId::Detection, PageId::System}) {
            for (const CloseBy by : {CloseBy::Program, CloseBy::WindowSystem}) {
                qInfo("page %d, closed by %s", static_cast<int>(page), Name(by));
                PageFixture f;
                QVERIFY(ShowConnected(f, page));
                Close(*f.window, by);
                QVERIFY(f.Shown().isEmpty());
                QVERIFY(!f.window->isVisible());
                QCOMPARE(f.window->result(), 1);
                QVERIFY(f.unexpectedBoxes.isEmpty());
            }
        }
    }

    void editsLeftBehindOnAnotherPageAreNotAskedAbout() {
        PageFixture f;
        QVERIFY(ShowConnected(f, PageId::Detection));
        TypeOver(*f.detection->ThresholdEdit(), QStringLiteral("400"));
        COrgMessageBox::PresetAnswer(MessageAnswer::Yes); // leaving drops the edit
        f.ShowPage(PageId::System);
        QCOMPARE(f.window->CurrentPage(), PageId::System);
        f.window->close();
        QCOMPARE(f.Shown(), QStringList{Text(MSG_LEAVE_UNAPPLIED)});
        QVERIFY(!f.window->isVisible());
    }

    void closingWhileMonitoringStillEndsTheLoop() {
        test::MonitoredWindow monitored;
        QVERIFY(monitored.started);
        PageFixture& f = *monitored.fixture;
        QTRY_VERIFY_WITH_TIMEOUT(monitored.home->IsMonitoring(), SLOW);
        QTimer::singleShot(0, f.window.get(), [&f] { f.window->windowHandle()->close(); });
        QCOMPARE(f.window->exec(), 1);
        QVERIFY(!monitored.home->IsMonitoring());
        QVERIFY(f.Shown().isEmpty());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }

    void aSessionEndWithoutLeaveToInteractAsksNothing() {
        QSessionManager* manager = ApplicationSessionManager();
        QVERIFY(manager != nullptr);
        QVERIFY(!manager->allowsInteraction()); // the offscreen platform's manager never allows it
        PageFixture f;
        QVERIFY(ShowConnected(f, PageId::Detection));
        TypeOver(*f.detection->ThresholdEdit(), QStringLiteral("400"));
        COrgMessageBox::PresetAnswer(MessageAnswer::No);
        emit qApp->commitDataRequest(*manager);
        QVERIFY(f.Shown().isEmpty());
        QVERIFY(f.window->isVisible());
        QVERIFY(f.unexpectedBoxes.isEmpty());
    }
};

} // namespace orlo

QTEST_MAIN(orlo::WindowCloseTest)
#include "WindowCloseTest.moc"
