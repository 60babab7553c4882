#include "gui/shell/TaskRunner.h"

#include "gui/shell/WaitDlg.h"
#include "gui/uikit/MessageEvent.h"

#include <system_error>
#include <utility>

namespace orlo {
namespace {

// The dialog's task message for the runner; any value the runner's receiver knows will do.
constexpr int WM_TASK_START = 0x1401;

// Receives the dialog's task message on the user-interface thread.
class TaskStarter : public QObject {
public:
    explicit TaskStarter(std::function<void()> start) : start_(std::move(start)) {}

    bool event(QEvent* event) override {
        if (event->type() == MessageType(WM_TASK_START)) {
            start_();
            return true;
        }
        return QObject::event(event);
    }

private:
    std::function<void()> start_;
};

} // namespace

CTaskRunner::CTaskRunner(CWaitDlg& dialog) : dialog_(dialog) {}

CTaskRunner::~CTaskRunner() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

std::optional<ResultCode> CTaskRunner::Run(int durationMs, std::function<ResultCode()> task,
                                           std::function<void()> cancel) {
    if (dialog_.IsRunning()) {
        return std::nullopt;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    ResultCode result = RC_OK;
    bool started = false;
    TaskStarter starter([&] {
        started = StartWorker([this, &result, &task] {
            result = task();
            dialog_.EndWait();
        });
        if (!started) {
            dialog_.EndWait();
        }
    });
    dialog_.SetTask(&starter, WM_TASK_START, 0);
    dialog_.SetProgress(durationMs, true);
    dialog_.SetCancel(std::move(cancel));
    dialog_.exec();
    if (worker_.joinable()) {
        worker_.join();
    }
    if (!started) {
        return std::nullopt;
    }
    return result;
}

bool CTaskRunner::StartWorker(std::function<void()> body) {
    try {
        worker_ = std::thread(std::move(body));
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

std::optional<ResultCode> RunTask(CWaitDlg& dialog, int durationMs, std::function<ResultCode()> task,
                                  std::function<void()> cancel) {
    CTaskRunner runner(dialog);
    return runner.Run(durationMs, std::move(task), std::move(cancel));
}

} // namespace orlo
