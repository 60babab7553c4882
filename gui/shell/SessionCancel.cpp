#include "gui/shell/SessionCancel.h"

#include "core/device/DeviceSession.h"

#include <utility>

namespace orlo {

SessionCancel::SessionCancel(DeviceSession& session, std::function<void()> stopFirst)
    : session_(session), stopFirst_(std::move(stopFirst)) {}

SessionCancel::~SessionCancel() {
    if (pressed_) {
        session_.ClearAbort();
    }
}

std::function<void()> SessionCancel::Action() {
    return [this] {
        pressed_ = true;
        // The loop must not take the cancel for a failed cycle and try again.
        if (stopFirst_) {
            stopFirst_();
        }
        session_.Abort();
    };
}

} // namespace orlo
