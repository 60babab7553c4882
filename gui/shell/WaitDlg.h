#pragma once

#include "gui/uikit/BasisDialog.h"

#include <QPointer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>

class QLabel;
class QProgressBar;

namespace orlo {

class CImgButton;

// Posted by the wait dialog to itself once it is on screen.
inline constexpr int WM_WAIT_START = 0x1400;

// The modal progress dialog behind which every device task runs: "しばらくお待ちください。" and a bar
// that fills linearly over the nominal duration and stays full when the work takes longer. Once
// shown it posts the task message to the target, whose handler starts the worker; the worker's last
// act is EndWait. It has no caption and the user cannot close it; a run that may be given up shows
// "中止", which asks the work to end, and the run still ends with the worker's EndWait. A nominal
// duration above 10 s shows the seconds elapsed beside it, so the user can judge whether to wait.
class CWaitDlg : public CBasisDialog {
    Q_OBJECT

public:
    static constexpr int ElapsedShownAboveMs = 10'000;

    explicit CWaitDlg(QWidget* parent = nullptr);

    // The message (a CMessageEvent with lParam = parameter) posted to target when the next run is on
    // screen; 0 posts nothing.
    void SetTask(QObject* target, int message, qintptr parameter);
    // The bar's range is 0..durationMs (0..100 for 0); it moves only when barMoves.
    void SetProgress(int durationMs, bool barMoves);
    // Ends the modal run with result 0. Callable from any thread, once per run; an EndWait that
    // arrives before the run has started ends that run at once.
    void EndWait();
    void SetProgressPos(int ms);
    // The next run shows "中止"; its first press calls cancel on the user-interface thread. Without a
    // cancel (empty) the run has no button. Each run forgets it when it ends.
    void SetCancel(std::function<void()> cancel);
    // Whether "中止" was pressed in the run under way or the last one.
    bool CancelPressed() const { return cancelPressed_; }
    CImgButton* CancelButton() const { return cancelButton_; }
    // "12 秒 / 150 秒" while a long run is under way; hidden otherwise.
    QLabel* ElapsedText() const { return elapsed_; }

    int ProgressPos() const;
    int ProgressMaximum() const;

    // Between the start of a modal run and its end.
    bool IsRunning() const { return inRun_; }
    // Refused with -1 while a run is under way: the toolkit cannot nest a dialog's own run, and the
    // run under way must still end with its EndWait.
    int exec() override;
    void accept() override;
    void reject() override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void InitAppearance();
    void LayoutControls();
    void AdvanceBar();
    void ShowElapsed();
    void PressCancel();
    void FinishRun();

    QPointer<QObject> target_;
    int taskMessage_ = 0;
    qintptr taskParam_ = 0;
    QLabel* text_;
    QProgressBar* bar_;
    QLabel* elapsed_;
    CImgButton* cancelButton_;
    QTimer barTimer_;
    QTimer elapsedTimer_;
    std::function<void()> cancel_;
    bool cancelPressed_ = false;
    int durationMs_ = 0;
    // The run's duration as set, for the elapsed text (durationMs_ drops to 0 once the bar is full).
    int nominalMs_ = 0;
    bool barMoves_ = true;
    std::chrono::steady_clock::time_point start_;
    std::atomic<bool> stopBar_{false};
    bool inRun_ = false;
    bool endPending_ = false;
};

} // namespace orlo
