#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "gui/shell/WindowMessages.h"
#include "gui/uikit/MessageEvent.h"

namespace orlo {

// The message that takes the main window home after a failed device operation: WM_RETURN_HOME after
// a time-out, WM_RETURN_HOME_LINK_LOST after a send failure, 0 (stay) for any other result.
inline int ReturnHomeMessage(ResultCode code) {
    switch (code) {
    case RC_TIMEOUT:
        return WM_RETURN_HOME;
    case RC_SEND_FAILED:
        return WM_RETURN_HOME_LINK_LOST;
    default:
        return 0;
    }
}

// The same after an operation on session that may have been cancelled: a cancel that cut the link
// (a read or a wait) goes home, where the page shows it disconnected; one that stopped a sequence of
// writes between two commands kept the link and stays.
inline int ReturnHomeMessage(ResultCode code, const DeviceSession& session) {
    if (code == RC_CANCELLED) {
        return session.IsConnected() ? 0 : WM_RETURN_HOME;
    }
    return ReturnHomeMessage(code);
}

// A dialog of a page lost the link: the page passes its WM_RETURN_HOME or WM_RETURN_HOME_LINK_LOST
// on to the main window. False for any other event.
inline bool ForwardReturnHome(const QEvent& event, QObject* owner) {
    const int message = static_cast<int>(event.type());
    if (message != WM_RETURN_HOME && message != WM_RETURN_HOME_LINK_LOST) {
        return false;
    }
    PostMessageTo(owner, message);
    return true;
}

} // namespace orlo
