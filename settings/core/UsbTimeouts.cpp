#include "settings/core/UsbTimeouts.h"

#include "device/SystemCommands.h"
#include "settings/core/ConnectedSteps.h"

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

ResultCode ApplyUsbTimeouts(DeviceSession& session, const UsbTimeouts& timeouts) {
    return RunWhileConnected(
        session, {[&] { return SetUsbTimeoutsVerified(session, timeouts.sendMs, timeouts.receiveMs); }});
}

} // namespace orlo
