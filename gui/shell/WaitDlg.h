#pragma once

#include "gui/uikit/BasisDialog.h"

#include <QPointer>
#include <QTimer>
#include <atomic>
#include <chrono>

class QLabel;
class QProgressBar;

namespace orlo {

// Posted by the wait dialog to itself once it is on screen.
inline constexpr int WM_WAIT_START = 0x1400;

// The modal progress dialog behind which every device task runs: "しばらくお待ちください。" and a bar
// that fills linearly over the nominal duration and stays full when the work takes longer. Once
// shown it posts the task message to the target, whose handler starts the worker; the worker's last
// act is EndWait. It has no caption and the user cannot close it.
class CWaitDlg : public CBasisDialog {
    Q_OBJECT

public:
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
    void FinishRun();

    QPointer<QObject> target_;
    int taskMessage_ = 0;
    qintptr taskParam_ = 0;
    QLabel* text_;
    QProgressBar* bar_;
    QTimer barTimer_;
    int durationMs_ = 0;
    bool barMoves_ = true;
    std::chrono::steady_clock::time_point start_;
    std::atomic<bool> stopBar_{false};
    bool inRun_ = false;
    bool endPending_ = false;
};

} // namespace orlo
