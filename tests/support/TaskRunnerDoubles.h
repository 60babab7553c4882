#pragma once

#include "gui/shell/TaskRunner.h"
#include "gui/shell/WaitDlg.h"

#include <functional>
#include <optional>

namespace orlo::test {

// A runner whose worker thread can never be created.
class NoThreadRunner : public CTaskRunner {
public:
    using CTaskRunner::CTaskRunner;

protected:
    bool StartWorker(std::function<void()>) override { return false; }
};

// The task pattern as it runs when the system has no thread left to give.
inline std::optional<ResultCode> RunWithoutThread(CWaitDlg& dialog, int durationMs,
                                                  std::function<ResultCode()> task,
                                                  std::function<void()> cancel = {}) {
    NoThreadRunner runner(dialog);
    return runner.Run(durationMs, std::move(task), std::move(cancel));
}

} // namespace orlo::test
