#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"

#include <array>
#include <cstdint>
#include <string>

namespace orlo {

// Serial speeds in probing order; the index is the speed index of the speed-change command.
inline constexpr std::array<std::uint32_t, 5> BaudRateTable = {9600, 38400, 115200, 230400, 460800};

// Opens the port, makes it the session's link and probes the sensor; disconnects on failure.
ResultCode TryOpenCom(DeviceSession& session, const std::string& port, std::uint32_t baudRate);
// Connects over the serial port, finding the sensor at another speed if it does not answer at the
// requested one and then switching it to the requested speed. Reads the mounting direction and both
// detection areas; every failure leaves the session disconnected.
ResultCode ConnectCom(DeviceSession& session, const std::string& port, std::uint32_t baudRate,
                      int angleOfView);
ResultCode ConnectLan(DeviceSession& session, const std::string& host, std::uint16_t port, int angleOfView);
// Repeats the remembered connection until the sensor answers again or the session's reconnect limit
// (150 s) passes: 0 when back, 10 when not. Every procedure here ends with RC_CANCELLED, the session
// disconnected, within moments of DeviceSession::Abort.
ResultCode Reconnect(DeviceSession& session);

} // namespace orlo
