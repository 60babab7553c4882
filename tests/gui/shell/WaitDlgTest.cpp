#include "gui/shell/WaitDlg.h"

#include "core/strings/StringTable.h"
#include "gui/shell/TaskRunner.h"
#include "gui/uikit/ImgButton.h"
#include "gui/uikit/MessageEvent.h"
#include "tests/support/TaskRunnerDoubles.h"
#include "tests/support/WaitCancel.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::ElapsedSeconds;

constexpr int WM_TEST_TASK = 0x1450;

// The target of a run's task message: counts the messages and runs what the test asks.
class TaskTarget : public QObject {
public:
    int received = 0;
    qintptr lastParameter = 0;
    std::function<void()> onTask;

protected:
    bool event(QEvent* event) override {
        if (event->type() == MessageType(WM_TEST_TASK)) {
            ++received;
            lastParameter = static_cast<CMessageEvent*>(event)->LParam();
            if (onTask) {
                onTask();
            }
            return true;
        }
        return QObject::event(event);
    }
};

QString Text(int id) {
    const auto text = LoadString(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Runs `step` on the user-interface thread once the dialog is on screen.
void OnceShown(CWaitDlg& dialog, std::function<void()> step) {
    QTimer::singleShot(0, &dialog, [&dialog, step = std::move(step)] {
        QVERIFY(QTest::qWaitFor([&dialog] { return dialog.isVisible(); }, 5000));
        step();
    });
}

// A worker that ends once told to, or after ten seconds.
ResultCode WaitFor(const std::atomic<bool>& told) {
    for (int i = 0; i < 10000 && !told; ++i) {
        std::this_thread::sleep_for(1ms);
    }
    return told ? RC_CANCELLED : RC_TIMEOUT;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

class WaitDlgTest : public QObject {
    Q_OBJECT

private slots:
    void shortTaskClosesWithTheBarPartlyFilled() {
        CWaitDlg dialog;
        const auto start = std::chrono::steady_clock::now();
        const std::optional<ResultCode> result = RunTask(dialog, 5000, [] {
            std::this_thread::sleep_for(200ms);
            return RC_OK;
        });
        const long long elapsed = MillisecondsSince(start);
        QCOMPARE(result, std::optional<ResultCode>(RC_OK));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.ProgressMaximum(), 5000);
        // About 4 %: the bar counts milliseconds since the dialog appeared, so it stands between
        // some way into the 200 ms and the time the whole run took.
        qInfo("bar at %d of 5000 after a 200 ms task (%lld ms in all)", dialog.ProgressPos(), elapsed);
        QVERIFY2(dialog.ProgressPos() >= 50, qPrintable(QString::number(dialog.ProgressPos())));
        QVERIFY(dialog.ProgressPos() <= elapsed);
        QVERIFY(dialog.ProgressPos() < 5000);
    }

    void barStaysFullWhenTheTaskTakesLonger() {
        CWaitDlg dialog;
        const std::optional<ResultCode> result = RunTask(dialog, 50, [] {
            std::this_thread::sleep_for(400ms);
            return RC_TIMEOUT;
        });
        QCOMPARE(result, std::optional<ResultCode>(RC_TIMEOUT));
        QCOMPARE(dialog.ProgressMaximum(), 50);
        QCOMPARE(dialog.ProgressPos(), 50);
    }

    void endWaitBeforeTheFirstBarStepEndsTheRun() {
        CWaitDlg dialog;
        const auto start = std::chrono::steady_clock::now();
        const std::optional<ResultCode> result = RunTask(dialog, 600000, [] { return RC_SEND_FAILED; });
        QCOMPARE(result, std::optional<ResultCode>(RC_SEND_FAILED));
        QVERIFY(MillisecondsSince(start) < 60000);
        QVERIFY(dialog.ProgressPos() < 600000);

        // Also when the worker is done before the run has even begun.
        dialog.SetTask(nullptr, 0, 0);
        dialog.SetProgress(600000, true);
        std::thread early([&dialog] { dialog.EndWait(); });
        early.join();
        QCoreApplication::processEvents();
        QCOMPARE(dialog.exec(), 0);
        QVERIFY(!dialog.isVisible());
    }

    void eachRunPostsTheTaskMessageOnce() {
        CWaitDlg dialog;
        TaskTarget target;
        target.onTask = [&dialog] { dialog.EndWait(); };
        for (int run = 1; run <= 2; ++run) {
            dialog.SetTask(&target, WM_TEST_TASK, 40 + run);
            dialog.SetProgress(1000, true);
            QCOMPARE(dialog.exec(), 0);
            QCoreApplication::processEvents();
            QCOMPARE(target.received, run);
            QCOMPARE(target.lastParameter, qintptr(40 + run));
        }
    }

    void closeRequestsAreIgnored() {
        CWaitDlg dialog;
        TaskTarget target;
        bool stayedOpen = false;
        target.onTask = [&] {
            dialog.close();
            dialog.reject();
            dialog.accept();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QTest::keyClick(&dialog, Qt::Key_Return);
            QCoreApplication::processEvents();
            stayedOpen = dialog.isVisible();
            dialog.EndWait();
        };
        dialog.SetTask(&target, WM_TEST_TASK, 0);
        dialog.SetProgress(1000, true);
        QCOMPARE(dialog.exec(), 0);
        QVERIFY(stayedOpen);
        QCOMPARE(target.received, 1);
    }

    void zeroDurationKeepsTheBarStill() {
        CWaitDlg dialog;
        const std::optional<ResultCode> result = RunTask(dialog, 0, [] {
            std::this_thread::sleep_for(100ms);
            return RC_OK;
        });
        QCOMPARE(result, std::optional<ResultCode>(RC_OK));
        QCOMPARE(dialog.ProgressMaximum(), 100);
        QCOMPARE(dialog.ProgressPos(), 0);
    }

    void workerThatCannotStartEndsTheDialog() {
        CWaitDlg dialog;
        test::NoThreadRunner runner(dialog);
        bool ran = false;
        const std::optional<ResultCode> result = runner.Run(5000, [&ran] {
            ran = true;
            return RC_OK;
        });
        QVERIFY(!result.has_value());
        QVERIFY(!ran);
        QVERIFY(!dialog.isVisible());
    }

    void taskOnARunningDialogIsRefusedAndTheFirstRunEnds() {
        CWaitDlg dialog;
        bool stuck = false;
        QTimer::singleShot(10000, &dialog, [&] {
            stuck = true;
            dialog.QDialog::done(0);
        });
        std::optional<ResultCode> nested = RC_OK;
        bool nestedRan = false;
        const std::optional<ResultCode> first = RunTask(dialog, 1000, [&] {
            // The second task is asked for on the user-interface thread while the first one runs.
            QMetaObject::invokeMethod(
                &dialog,
                [&] {
                    nested = RunTask(dialog, 3000, [&nestedRan] {
                        nestedRan = true;
                        return RC_OK;
                    });
                },
                Qt::BlockingQueuedConnection);
            return RC_TIMEOUT;
        });
        QVERIFY(!stuck);
        QCOMPARE(first, std::optional<ResultCode>(RC_TIMEOUT));
        QVERIFY(!nested.has_value());
        QVERIFY(!nestedRan);
        QCOMPARE(dialog.ProgressMaximum(), 1000); // the first run's bar was left alone
        QVERIFY(!dialog.isVisible());

        // The dialog serves the next task as usual.
        QCOMPARE(RunTask(dialog, 100, [] { return RC_OK; }), std::optional<ResultCode>(RC_OK));
    }

    void cancelIsOfferedOnlyForATaskThatCanBeGivenUp() {
        CWaitDlg dialog;
        bool shownWithout = true;
        OnceShown(dialog, [&] { shownWithout = dialog.CancelButton()->isVisible(); });
        QCOMPARE(RunTask(dialog, 1000,
                         [] {
                             std::this_thread::sleep_for(300ms);
                             return RC_OK;
                         }),
                 std::optional<ResultCode>(RC_OK));
        QVERIFY(!shownWithout);

        bool shownWith = false;
        QString caption;
        OnceShown(dialog, [&] {
            shownWith = dialog.CancelButton()->isVisible() && dialog.CancelButton()->isEnabled();
            caption = dialog.CancelButton()->text();
        });
        QCOMPARE(RunTask(
                     dialog, 1000,
                     [] {
                         std::this_thread::sleep_for(300ms);
                         return RC_OK;
                     },
                     [] {}),
                 std::optional<ResultCode>(RC_OK));
        QVERIFY(shownWith);
        QCOMPARE(caption, Text(9031));
        QVERIFY(!dialog.CancelPressed());
    }

    void aPressAsksTheTaskToEndAndTheRunEndsWithTheWorker() {
        CWaitDlg dialog;
        std::atomic<bool> told{false};
        int calls = 0;
        bool openAfterPress = false;
        bool enabledAfterPress = true;
        OnceShown(dialog, [&] {
            CImgButton* button = dialog.CancelButton();
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
            // The run goes on until the worker has seen the request and ended.
            openAfterPress = dialog.isVisible();
            enabledAfterPress = button->isEnabled();
            QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
        });
        const std::optional<ResultCode> result = RunTask(
            dialog, 60000, [&told] { return WaitFor(told); },
            [&] {
                ++calls;
                told = true;
            });
        QCOMPARE(result, std::optional<ResultCode>(RC_CANCELLED));
        QCOMPARE(calls, 1);
        QVERIFY(openAfterPress);
        QVERIFY(!enabledAfterPress);
        QVERIFY(dialog.CancelPressed());
        QVERIFY(!dialog.isVisible());

        // The next run starts afresh, and a task without a cancel has nothing to press.
        bool hidden = false;
        OnceShown(dialog, [&] {
            hidden = !dialog.CancelButton()->isVisible();
            QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        });
        QCOMPARE(RunTask(dialog, 1000, [] { return RC_OK; }), std::optional<ResultCode>(RC_OK));
        QVERIFY(hidden);
        QCOMPARE(calls, 1);
        QVERIFY(!dialog.CancelPressed());
    }

    void theSpaceKeyPressesCancelButEscapeAndEnterDoNot() {
        CWaitDlg dialog;
        std::atomic<bool> told{false};
        int calls = 0;
        int callsBeforeSpace = -1;
        OnceShown(dialog, [&] {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QTest::keyClick(&dialog, Qt::Key_Return);
            callsBeforeSpace = calls;
            dialog.CancelButton()->setFocus();
            QTest::keyClick(dialog.CancelButton(), Qt::Key_Space);
        });
        RunTask(
            dialog, 60000, [&told] { return WaitFor(told); },
            [&] {
                ++calls;
                told = true;
            });
        QCOMPARE(callsBeforeSpace, 0);
        QCOMPARE(calls, 1);
    }

    void aLongTaskShowsTheSecondsElapsedBesideItsDuration() {
        CWaitDlg dialog;
        QString atStart;
        bool visible = false;
        OnceShown(dialog, [&] {
            atStart = dialog.ElapsedText()->text();
            visible = dialog.ElapsedText()->isVisible();
        });
        RunTask(dialog, 150000, [] {
            std::this_thread::sleep_for(1500ms);
            return RC_OK;
        });
        QVERIFY(visible);
        QCOMPARE(ElapsedSeconds(atStart), (std::pair{0, 150}));
        // Counted on after the bar's own steps: at least one whole second had passed at the end.
        const auto [elapsed, nominal] = ElapsedSeconds(dialog.ElapsedText()->text());
        qInfo("%s after a 1.5 s task", qPrintable(dialog.ElapsedText()->text()));
        QVERIFY(elapsed >= 1);
        QCOMPARE(nominal, 150);

        // Up to ten seconds the bar says enough; just above, the duration rounds up to whole seconds.
        for (const int duration : {0, 5000, 10000, 10001}) {
            bool shown = true;
            QString text;
            OnceShown(dialog, [&] {
                shown = dialog.ElapsedText()->isVisible();
                text = dialog.ElapsedText()->text();
            });
            RunTask(dialog, duration, [] {
                std::this_thread::sleep_for(100ms);
                return RC_OK;
            });
            QCOMPARE(shown, duration > 10000);
            if (shown) {
                QCOMPARE(ElapsedSeconds(text), (std::pair{0, 11}));
            }
        }
    }

    void layoutFollowsTheWindowSize() {
        CWaitDlg dialog;
        TaskTarget target;
        QRect text;
        QRect bar;
        QSize size;
        target.onTask = [&] {
            text = dialog.findChild<QLabel*>()->geometry();
            bar = dialog.findChild<QProgressBar*>()->geometry();
            size = dialog.size();
            dialog.EndWait();
        };
        dialog.SetTask(&target, WM_TEST_TASK, 0);
        dialog.SetProgress(1000, true);
        dialog.exec();
        QCOMPARE(size, QSize(480, 280));
        QCOMPARE(text.left(), 8);
        QCOMPARE(text.width(), 464);
        QCOMPARE(text.top(), 140 - text.height() / 2 - 8);
        QCOMPARE(bar.left(), 16);
        QCOMPARE(bar.width(), 448);
        QCOMPARE(bar.top(), text.bottom() + 1);
        QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    }

    void elapsedTextAndCancelLieBelowTheBarInsideTheWindow() {
        CWaitDlg dialog;
        std::atomic<bool> told{false};
        QRect bar;
        QRect elapsed;
        QRect button;
        OnceShown(dialog, [&] {
            bar = dialog.findChild<QProgressBar*>()->geometry();
            elapsed = dialog.ElapsedText()->geometry();
            button = dialog.CancelButton()->geometry();
            told = true;
        });
        RunTask(
            dialog, 150000, [&told] { return WaitFor(told); }, [] {});
        QVERIFY(elapsed.top() > bar.bottom());
        QVERIFY(button.top() > elapsed.bottom());
        QVERIFY(QRect(QPoint(0, 0), QSize(480, 280)).contains(button));
        QCOMPARE(button.center().x(), 240 - (button.width() % 2 == 0 ? 1 : 0));
        QVERIFY(elapsed.width() > 0 && elapsed.height() > 0);
    }
};

} // namespace orlo

QTEST_MAIN(orlo::WaitDlgTest)
#include "WaitDlgTest.moc"
