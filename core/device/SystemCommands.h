#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"
#include "core/device/SettingsApplyProgress.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orlo {

// Identification and system commands. Each is one exchange with the given time-out (1,000 ms by
// every caller); outputs are written only when the result is 0.

struct DeviceInfo {
    std::string name; // UTF-8
    std::uint32_t version1 = 0;
    std::uint32_t version2 = 0;
    std::uint32_t version3 = 0;
    std::uint32_t version4 = 0;
};

struct Other02To06 {
    std::uint8_t other02 = 0;
    std::uint8_t other03 = 0;
    std::uint16_t other04 = 0;
    std::uint8_t other05 = 0;
    std::uint8_t other06 = 0;
    bool operator==(const Other02To06&) const = default;
};

struct Other27To28 {
    std::uint8_t other27 = 0;
    std::uint8_t other28 = 0;
    bool operator==(const Other27To28&) const = default;
};

inline constexpr std::size_t DeviceInfoTextSize = 20;
inline constexpr std::size_t DeviceInfoSize = 19;

// The record of a device-information payload of at least DeviceInfoSize bytes.
DeviceInfo DecodeDeviceInfo(std::span<const std::uint8_t> payload);
// An information-text field as UTF-8; bytes that are not valid CP932 are kept as they came.
std::string DecodeDeviceInfoText(std::span<const std::uint8_t> field);
// "v1.v2.v3.v4".
std::string FormatVersion(const DeviceInfo& info);

// Speed index of the speed-change command; 0xFF for a rate the sensor does not know.
std::uint8_t SpeedIndexOf(std::uint32_t baudRate);
// Portrait flag for a mounting direction: 0/2 -> 0, 1/3 -> 1, nothing for other values.
std::optional<int> PortraitOf(std::uint8_t direction);

ResultCode GetDeviceInfo(DeviceSession& session, int timeoutMs, DeviceInfo& info);
ResultCode SetMountingDirection(DeviceSession& session, int timeoutMs, std::uint8_t direction);
// Also updates the session's Portrait from the direction read.
ResultCode GetMountingDirection(DeviceSession& session, int timeoutMs, std::uint8_t& direction);
ResultCode SetOperatingMode(DeviceSession& session, int timeoutMs, std::uint8_t mode);
ResultCode GetOperatingMode(DeviceSession& session, int timeoutMs, std::uint8_t& mode);
ResultCode SetCommSpeed(DeviceSession& session, int timeoutMs, std::uint32_t baudRate);
// Texts are UTF-8 here and CP932 on the wire (20 bytes, zero-padded, cut at a character boundary).
ResultCode SetDeviceInfoText(DeviceSession& session, int timeoutMs, const std::string& text);
ResultCode GetDeviceInfoText(DeviceSession& session, int timeoutMs, std::string& text);
// The same field as the sensor holds it: the bytes before the first zero (all 20 without one),
// whether or not they are valid CP932. Bytes beyond 20 are cut at a character boundary.
ResultCode SetDeviceInfoBytes(DeviceSession& session, int timeoutMs, std::string_view bytes);
ResultCode GetDeviceInfoBytes(DeviceSession& session, int timeoutMs, std::string& bytes);
ResultCode SetUsbSendTimeout(DeviceSession& session, int timeoutMs, std::uint16_t milliseconds);
ResultCode GetUsbSendTimeout(DeviceSession& session, int timeoutMs, std::uint16_t& milliseconds);
ResultCode SetUsbReceiveTimeout(DeviceSession& session, int timeoutMs, std::uint16_t milliseconds);
ResultCode GetUsbReceiveTimeout(DeviceSession& session, int timeoutMs, std::uint16_t& milliseconds);
ResultCode SetOther01(DeviceSession& session, int timeoutMs, std::uint16_t value);
ResultCode GetOther01(DeviceSession& session, int timeoutMs, std::uint16_t& value);
ResultCode SetOther02To06(DeviceSession& session, int timeoutMs, const Other02To06& values);
ResultCode GetOther02To06(DeviceSession& session, int timeoutMs, Other02To06& values);
ResultCode SetOther07(DeviceSession& session, int timeoutMs, std::uint8_t value);
ResultCode GetOther07(DeviceSession& session, int timeoutMs, std::uint8_t& value);
ResultCode SetOther27To28(DeviceSession& session, int timeoutMs, const Other27To28& values);
ResultCode GetOther27To28(DeviceSession& session, int timeoutMs, Other27To28& values);

// Write-and-verify for single values: read back after a successful write; a different value is -50,
// a session lost in between is -1. The write is counted in `progress`.
ResultCode SetOperatingModeVerified(DeviceSession& session, std::uint8_t mode,
                                    SettingsApplyProgress* progress = nullptr);
ResultCode SetUsbSendTimeoutVerified(DeviceSession& session, std::uint16_t milliseconds,
                                     SettingsApplyProgress* progress = nullptr);
ResultCode SetUsbReceiveTimeoutVerified(DeviceSession& session, std::uint16_t milliseconds,
                                        SettingsApplyProgress* progress = nullptr);
// Send time-out first; the receive time-out is not written when the first fails.
ResultCode SetUsbTimeoutsVerified(DeviceSession& session, std::uint16_t sendMs, std::uint16_t receiveMs);

// Restart (and restore the factory settings): on acceptance the session disconnects and waits in
// the reconnect loop for the sensor to come back.
ResultCode Restart(DeviceSession& session, int timeoutMs);
ResultCode RestartAndInitialize(DeviceSession& session, int timeoutMs);
// Speed change to the session's rate (115200 on LAN), then restart.
ResultCode Recover(DeviceSession& session);

} // namespace orlo
