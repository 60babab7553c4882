#include "core/settings/UsbTimeouts.h"

#include "core/device/SystemCommands.h"
#include "core/settings/ConnectedSteps.h"

namespace orlo {

ResultCode LoadUsbTimeouts(DeviceSession& session, UsbTimeouts& timeouts) {
    constexpr int timeoutMs = DeviceSession::CommandTimeoutMs;
    UsbTimeouts read;
    const ResultCode result = RunWhileConnected(
        session, {[&] { return GetUsbSendTimeout(session, timeoutMs, read.sendMs); },
                  [&] { return GetUsbReceiveTimeout(session, timeoutMs, read.receiveMs); }});
    if (result == RC_OK) {
        timeouts = read;
    }
    return result;
}

ResultCode ApplyUsbTimeouts(DeviceSession& session, const UsbTimeouts& timeouts, const UsbTimeouts& loaded,
                            SettingsApplyProgress* progress) {
    const bool send = timeouts.sendMs != loaded.sendMs;
    const bool receive = timeouts.receiveMs != loaded.receiveMs;
    SettingsApplyProgress done;
    if (send) {
        done.planned.emplace_back(write_name::UsbSendTimeout);
    }
    if (receive) {
        done.planned.emplace_back(write_name::UsbReceiveTimeout);
    }
    ResultCode result = RC_OK;
    if (send || receive) {
        const DeviceSession::UncutCommands uncut(session);
        result = RunWhileConnected(
            session,
            {[&] { return send ? SetUsbSendTimeoutVerified(session, timeouts.sendMs, &done) : RC_OK; },
             [&] {
                 return receive ? SetUsbReceiveTimeoutVerified(session, timeouts.receiveMs, &done) : RC_OK;
             }});
    }
    if (progress != nullptr) {
        *progress = std::move(done);
    }
    return result;
}

} // namespace orlo
