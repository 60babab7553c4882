#pragma once

#include <functional>

namespace orlo {

class DeviceSession;

// "中止" for one task on the session. The press first asks stopFirst (work of the page's own on the
// session, such as the acquisition loop) to stop, then aborts the session, so that the exchange,
// connect or wait in flight ends at once with RC_CANCELLED. Made on the user-interface thread before
// the run and destroyed after it, once the worker has ended: after a press it then withdraws the
// abort, so that the session can be used again (a cut link stays closed).
class SessionCancel {
public:
    explicit SessionCancel(DeviceSession& session, std::function<void()> stopFirst = {});
    SessionCancel(const SessionCancel&) = delete;
    SessionCancel& operator=(const SessionCancel&) = delete;
    ~SessionCancel();

    // What the wait dialog's "中止" calls; valid while this object lives.
    std::function<void()> Action();
    bool Pressed() const { return pressed_; }

private:
    DeviceSession& session_;
    std::function<void()> stopFirst_;
    bool pressed_ = false;
};

} // namespace orlo
