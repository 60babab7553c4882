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

ResultCode ApplyUsbTimeouts(DeviceSession& session, const UsbTimeouts& timeouts, const UsbTimeouts& loaded) {
    const bool send = timeouts.sendMs != loaded.sendMs;
    const bool receive = timeouts.receiveMs != loaded.receiveMs;
    if (!send && !receive) {
        return RC_OK;
    }
    return RunWhileConnected(
        session,
        {[&] { return send ? SetUsbSendTimeoutVerified(session, timeouts.sendMs) : RC_OK; },
         [&] { return receive ? SetUsbReceiveTimeoutVerified(session, timeouts.receiveMs) : RC_OK; }});
}

} // namespace orlo
