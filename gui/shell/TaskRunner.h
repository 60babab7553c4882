#pragma once

#include "core/device/ResultCode.h"

#include <functional>
#include <optional>
#include <thread>

namespace orlo {

class CWaitDlg;

// The task pattern: the wait dialog is shown, then asks for the work; a worker thread runs the task
// and ends the dialog as its last act. The user-interface thread keeps serving events meanwhile and
// reads the result only after the worker has been joined, so the result needs no lock.
class CTaskRunner {
public:
    explicit CTaskRunner(CWaitDlg& dialog);
    CTaskRunner(const CTaskRunner&) = delete;
    CTaskRunner& operator=(const CTaskRunner&) = delete;
    virtual ~CTaskRunner();

    // Runs task behind the dialog with a bar over durationMs and returns its result once the worker
    // has ended; nullopt when no worker could be started (the dialog then ends at once) and when the
    // dialog is already running another task (task is not run, the other run goes on). With a cancel
    // the dialog shows "中止", whose press calls it on the user-interface thread: cancel asks the task
    // to end soon, and Run still returns only once the worker has ended.
    std::optional<ResultCode> Run(int durationMs, std::function<ResultCode()> task,
                                  std::function<void()> cancel = {});

protected:
    // Starts body on the worker thread; false when the thread cannot be created.
    virtual bool StartWorker(std::function<void()> body);

private:
    CWaitDlg& dialog_;
    std::thread worker_;
};

// One task with a runner of its own.
std::optional<ResultCode> RunTask(CWaitDlg& dialog, int durationMs, std::function<ResultCode()> task,
                                  std::function<void()> cancel = {});

} // namespace orlo
