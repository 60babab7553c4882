#pragma once

#include "core/device/ResultCode.h"
#include "gui/shell/TaskRunner.h"

#include <functional>
#include <utility>

namespace orlo {

// RunTask for the settings windows. A worker thread that could not be started has sent nothing; that
// reads as a missing link.
inline ResultCode RunDeviceTask(CWaitDlg& dialog, int durationMs, const std::function<ResultCode()>& worker,
                                std::function<void()> cancel = {}) {
    return RunTask(dialog, durationMs, worker, std::move(cancel)).value_or(RC_NO_LINK);
}

} // namespace orlo
