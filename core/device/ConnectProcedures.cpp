#include "core/device/ConnectProcedures.h"

#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SystemCommands.h"

#include <chrono>
#include <thread>

namespace orlo {

namespace {

constexpr int Timeout = DeviceSession::CommandTimeoutMs;

ResultCode Probe(DeviceSession& session) {
    DeviceInfo info;
    return GetDeviceInfo(session, Timeout, info);
}

// Direction (and Portrait) and both detection areas, read when a connection is made.
ResultCode ReadConnectState(DeviceSession& session) {
    std::uint8_t direction = 0;
    ResultCode result =
        session.IsConnected() ? GetMountingDirection(session, Timeout, direction) : RC_NO_LINK;
    if (result == RC_OK) {
        Rect area;
        result = session.IsConnected() ? GetHumanDetectionArea(session, Timeout, area) : RC_NO_LINK;
    }
    if (result == RC_OK) {
        Rect area;
        result = session.IsConnected() ? GetMotionDetectionArea(session, Timeout, area) : RC_NO_LINK;
    }
    if (result != RC_OK) {
        session.Disconnect();
    }
    return result;
}

// What a failed open means: the user's abort, or a port or host that could not be opened.
ResultCode OpenFailed(const DeviceSession& session) {
    return session.AbortRequested() ? RC_CANCELLED : RC_OPEN_FAILED;
}

// The sensor answered at `foundRate`: switch it to the requested rate and follow it.
ResultCode SwitchSpeed(DeviceSession& session, const std::string& port, std::uint32_t requestedRate) {
    if (const ResultCode result = SetCommSpeed(session, Timeout, requestedRate); result != RC_OK) {
        session.Disconnect();
        return result;
    }
    // The session stays on the same connection, so the command log goes on across the reopen.
    if (!session.SerialConnection().Open(port, requestedRate)) {
        session.Disconnect();
        return OpenFailed(session);
    }
    return RC_OK;
}

} // namespace

ResultCode TryOpenCom(DeviceSession& session, const std::string& port, std::uint32_t baudRate) {
    if (!session.SerialConnection().Open(port, baudRate)) {
        return OpenFailed(session);
    }
    session.Attach(session.SerialConnection(), ConnectionType::Com);
    const ResultCode result = Probe(session);
    if (result != RC_OK) {
        session.Disconnect();
    }
    return result;
}

ResultCode ConnectCom(DeviceSession& session, const std::string& port, std::uint32_t baudRate,
                      int angleOfView) {
    session.Disconnect();
    ResultCode result = TryOpenCom(session, port, baudRate);
    if (result == RC_TIMEOUT) {
        bool found = false;
        for (const std::uint32_t rate : BaudRateTable) {
            if (rate == baudRate) {
                continue;
            }
            result = TryOpenCom(session, port, rate);
            if (result == RC_TIMEOUT) {
                continue;
            }
            if (result != RC_OK) {
                return result;
            }
            // Asked once more, as the sensor's first answer after a speed change may be lost.
            session.Attach(session.SerialConnection(), ConnectionType::Com);
            result = Probe(session);
            if (result != RC_OK) {
                session.Disconnect();
                continue;
            }
            found = true;
            break;
        }
        if (!found) {
            return result;
        }
        if (result = SwitchSpeed(session, port, baudRate); result != RC_OK) {
            return result;
        }
    } else if (result != RC_OK) {
        return result;
    }
    if (result = ReadConnectState(session); result != RC_OK) {
        return result;
    }
    session.SetComParameters(port, baudRate);
    session.SetAngleOfView(angleOfView);
    return RC_OK;
}

ResultCode ConnectLan(DeviceSession& session, const std::string& host, std::uint16_t port, int angleOfView) {
    session.Disconnect();
    if (!session.SocketConnection().Open(host, port)) {
        session.Disconnect();
        return OpenFailed(session);
    }
    session.Attach(session.SocketConnection(), ConnectionType::Lan);
    if (const ResultCode result = Probe(session); result != RC_OK) {
        session.Disconnect();
        return result;
    }
    if (const ResultCode result = ReadConnectState(session); result != RC_OK) {
        return result;
    }
    session.SetLanParameters(host, port);
    session.SetAngleOfView(angleOfView);
    return RC_OK;
}

ResultCode Reconnect(DeviceSession& session) {
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (session.AbortRequested()) {
            session.Disconnect();
            return RC_CANCELLED;
        }
        ResultCode result = RC_NO_LINK;
        switch (session.RememberedConnectionType()) {
        case ConnectionType::Com:
            result = session.SerialConnection().IsConnected()
                         ? RC_OK
                         : ConnectCom(session, session.ComPort(), session.BaudRate(), session.AngleOfView());
            break;
        case ConnectionType::Lan:
            result = session.SocketConnection().IsConnected()
                         ? RC_OK
                         : ConnectLan(session, session.IpAddress(), session.LanPort(), session.AngleOfView());
            break;
        case ConnectionType::None:
            break;
        }
        if (result == RC_OK) {
            if (const ResultCode probe = Probe(session); probe != RC_TIMEOUT) {
                return probe;
            }
        } else if (result == RC_CANCELLED) {
            return result;
        }
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (session.ReconnectProgress()) {
            session.ReconnectProgress()(static_cast<int>(elapsed.count()));
        }
        if (elapsed >= session.ReconnectLimit()) {
            return RC_RECONNECT_FAILED;
        }
    }
}

} // namespace orlo
