#include "core/device/SystemCommands.h"

#include "core/device/CommandSupport.h"
#include "core/device/ConnectProcedures.h"
#include "core/device/Wire.h"
#include "core/platform/CodePage.h"

#include <algorithm>
#include <array>

namespace orlo {

using command::Read;
using command::Write;
using command::WriteAndVerify;

namespace {

constexpr std::uint8_t CMD_GET_DEVICE_INFO = 0x00;
constexpr std::uint8_t CMD_SET_MOUNTING_DIRECTION = 0x01;
constexpr std::uint8_t CMD_GET_MOUNTING_DIRECTION = 0x02;
constexpr std::uint8_t CMD_SET_DEVICE_INFO_TEXT = 0x0C;
constexpr std::uint8_t CMD_GET_DEVICE_INFO_TEXT = 0x0D;
constexpr std::uint8_t CMD_SET_COMM_SPEED = 0x0E;
constexpr std::uint8_t CMD_SET_USB_SEND_TIMEOUT = 0x17;
constexpr std::uint8_t CMD_GET_USB_SEND_TIMEOUT = 0x18;
constexpr std::uint8_t CMD_SET_USB_RECEIVE_TIMEOUT = 0x19;
constexpr std::uint8_t CMD_GET_USB_RECEIVE_TIMEOUT = 0x1A;
constexpr std::uint8_t CMD_SET_OTHER01 = 0x63;
constexpr std::uint8_t CMD_GET_OTHER01 = 0x64;
constexpr std::uint8_t CMD_SET_OTHER02_TO_06 = 0x69;
constexpr std::uint8_t CMD_GET_OTHER02_TO_06 = 0x6A;
constexpr std::uint8_t CMD_SET_OTHER07 = 0x6B;
constexpr std::uint8_t CMD_GET_OTHER07 = 0x6C;
constexpr std::uint8_t CMD_SET_OPERATING_MODE = 0x6D;
constexpr std::uint8_t CMD_GET_OPERATING_MODE = 0x6E;
constexpr std::uint8_t CMD_SET_OTHER27_TO_28 = 0x7A;
constexpr std::uint8_t CMD_GET_OTHER27_TO_28 = 0x7B;
constexpr std::uint8_t CMD_RESTART = 0xFF;

constexpr std::uint8_t RESTART_ONLY = 0x00;
constexpr std::uint8_t RESTART_INITIALIZE = 0x5A;
constexpr std::array<std::uint8_t, 8> AccessCode = {'K', 'E', 'S', 'T', 'R', 'I', 'V', 'A'};

constexpr std::array<std::uint32_t, 5> SpeedTable = {9600, 38400, 115200, 230400, 460800};

// Text of a fixed-size field: up to the first zero byte, or the whole field without one.
std::string FieldText(std::span<const std::uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
    return {field.begin(), end};
}

ResultCode ReadU8(DeviceSession& session, std::uint8_t code, int timeoutMs, std::uint8_t& value) {
    return Read(session, code, 1, timeoutMs, [&](auto payload) { value = payload[0]; });
}

ResultCode ReadU16(DeviceSession& session, std::uint8_t code, int timeoutMs, std::uint16_t& value) {
    return Read(session, code, 2, timeoutMs, [&](auto payload) { value = wire::U16(payload, 0); });
}

ResultCode RestartWith(DeviceSession& session, int timeoutMs, std::uint8_t operation) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    const ResultCode result =
        Write(session, CMD_RESTART, wire::PayloadBuilder().Bytes(AccessCode).U8(operation), timeoutMs);
    if (result != RC_OK) {
        return result;
    }
    session.RememberConnectionType(session.GetConnectionType());
    session.Disconnect();
    return Reconnect(session);
}

} // namespace

DeviceInfo DecodeDeviceInfo(std::span<const std::uint8_t> payload) {
    DeviceInfo info;
    info.name = DecodeDeviceInfoText(payload.subspan(0, 12));
    info.version1 = payload[12];
    info.version2 = payload[13];
    info.version3 = payload[14];
    info.version4 = wire::U32(payload, 15);
    return info;
}

std::string DecodeDeviceInfoText(std::span<const std::uint8_t> field) {
    const std::string raw = FieldText(field);
    return Cp932ToUtf8(raw).value_or(raw);
}

std::string FormatVersion(const DeviceInfo& info) {
    return std::to_string(info.version1) + "." + std::to_string(info.version2) + "." +
           std::to_string(info.version3) + "." + std::to_string(info.version4);
}

std::uint8_t SpeedIndexOf(std::uint32_t baudRate) {
    const auto found = std::find(SpeedTable.begin(), SpeedTable.end(), baudRate);
    return found == SpeedTable.end() ? 0xFF : static_cast<std::uint8_t>(found - SpeedTable.begin());
}

std::optional<int> PortraitOf(std::uint8_t direction) {
    if (direction == 0 || direction == 2) {
        return 0;
    }
    if (direction == 1 || direction == 3) {
        return 1;
    }
    return std::nullopt;
}

ResultCode GetDeviceInfo(DeviceSession& session, int timeoutMs, DeviceInfo& info) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    return Read(session, CMD_GET_DEVICE_INFO, DeviceInfoSize, timeoutMs,
                [&](auto payload) { info = DecodeDeviceInfo(payload); });
}

ResultCode SetMountingDirection(DeviceSession& session, int timeoutMs, std::uint8_t direction) {
    return Write(session, CMD_SET_MOUNTING_DIRECTION, wire::PayloadBuilder().U8(direction), timeoutMs);
}

ResultCode GetMountingDirection(DeviceSession& session, int timeoutMs, std::uint8_t& direction) {
    const ResultCode result = ReadU8(session, CMD_GET_MOUNTING_DIRECTION, timeoutMs, direction);
    if (result == RC_OK) {
        if (const auto portrait = PortraitOf(direction)) {
            session.SetPortrait(*portrait);
        }
    }
    return result;
}

ResultCode SetOperatingMode(DeviceSession& session, int timeoutMs, std::uint8_t mode) {
    return Write(session, CMD_SET_OPERATING_MODE, wire::PayloadBuilder().U8(mode), timeoutMs);
}

ResultCode GetOperatingMode(DeviceSession& session, int timeoutMs, std::uint8_t& mode) {
    return ReadU8(session, CMD_GET_OPERATING_MODE, timeoutMs, mode);
}

ResultCode SetCommSpeed(DeviceSession& session, int timeoutMs, std::uint32_t baudRate) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    return Write(session, CMD_SET_COMM_SPEED, wire::PayloadBuilder().U8(SpeedIndexOf(baudRate)), timeoutMs);
}

ResultCode SetDeviceInfoText(DeviceSession& session, int timeoutMs, const std::string& text) {
    return SetDeviceInfoBytes(session, timeoutMs, Utf8ToCp932(text).value_or(text));
}

ResultCode GetDeviceInfoText(DeviceSession& session, int timeoutMs, std::string& text) {
    return Read(session, CMD_GET_DEVICE_INFO_TEXT, DeviceInfoTextSize, timeoutMs,
                [&](auto payload) { text = DecodeDeviceInfoText(payload.subspan(0, DeviceInfoTextSize)); });
}

ResultCode SetDeviceInfoBytes(DeviceSession& session, int timeoutMs, std::string_view bytes) {
    const std::string_view fitted =
        bytes.size() > DeviceInfoTextSize ? Cp932Prefix(bytes, DeviceInfoTextSize) : bytes;
    wire::PayloadBuilder payload;
    payload.Bytes({reinterpret_cast<const std::uint8_t*>(fitted.data()), fitted.size()});
    payload.Zeros(DeviceInfoTextSize - fitted.size());
    return Write(session, CMD_SET_DEVICE_INFO_TEXT, payload, timeoutMs);
}

ResultCode GetDeviceInfoBytes(DeviceSession& session, int timeoutMs, std::string& bytes) {
    return Read(session, CMD_GET_DEVICE_INFO_TEXT, DeviceInfoTextSize, timeoutMs,
                [&](auto payload) { bytes = FieldText(payload.subspan(0, DeviceInfoTextSize)); });
}

ResultCode SetUsbSendTimeout(DeviceSession& session, int timeoutMs, std::uint16_t milliseconds) {
    return Write(session, CMD_SET_USB_SEND_TIMEOUT, wire::PayloadBuilder().U16(milliseconds), timeoutMs);
}

ResultCode GetUsbSendTimeout(DeviceSession& session, int timeoutMs, std::uint16_t& milliseconds) {
    return ReadU16(session, CMD_GET_USB_SEND_TIMEOUT, timeoutMs, milliseconds);
}

ResultCode SetUsbReceiveTimeout(DeviceSession& session, int timeoutMs, std::uint16_t milliseconds) {
    return Write(session, CMD_SET_USB_RECEIVE_TIMEOUT, wire::PayloadBuilder().U16(milliseconds), timeoutMs);
}

ResultCode GetUsbReceiveTimeout(DeviceSession& session, int timeoutMs, std::uint16_t& milliseconds) {
    return ReadU16(session, CMD_GET_USB_RECEIVE_TIMEOUT, timeoutMs, milliseconds);
}

ResultCode SetOther01(DeviceSession& session, int timeoutMs, std::uint16_t value) {
    return Write(session, CMD_SET_OTHER01, wire::PayloadBuilder().U16(value), timeoutMs);
}

ResultCode GetOther01(DeviceSession& session, int timeoutMs, std::uint16_t& value) {
    return ReadU16(session, CMD_GET_OTHER01, timeoutMs, value);
}

ResultCode SetOther02To06(DeviceSession& session, int timeoutMs, const Other02To06& values) {
    return Write(session, CMD_SET_OTHER02_TO_06,
                 wire::PayloadBuilder()
                     .U8(values.other02)
                     .U8(values.other03)
                     .U16(values.other04)
                     .U8(values.other05)
                     .U8(values.other06),
                 timeoutMs);
}

ResultCode GetOther02To06(DeviceSession& session, int timeoutMs, Other02To06& values) {
    return Read(session, CMD_GET_OTHER02_TO_06, 6, timeoutMs, [&](auto payload) {
        values = {payload[0], payload[1], wire::U16(payload, 2), payload[4], payload[5]};
    });
}

ResultCode SetOther07(DeviceSession& session, int timeoutMs, std::uint8_t value) {
    return Write(session, CMD_SET_OTHER07, wire::PayloadBuilder().U8(value), timeoutMs);
}

ResultCode GetOther07(DeviceSession& session, int timeoutMs, std::uint8_t& value) {
    return ReadU8(session, CMD_GET_OTHER07, timeoutMs, value);
}

ResultCode SetOther27To28(DeviceSession& session, int timeoutMs, const Other27To28& values) {
    // The sensor expects this fixed tail after the two values.
    return Write(
        session, CMD_SET_OTHER27_TO_28,
        wire::PayloadBuilder().U8(values.other27).U8(values.other28).U8(0x00).U8(0x08).U8(0x46).U8(0x82),
        timeoutMs);
}

ResultCode GetOther27To28(DeviceSession& session, int timeoutMs, Other27To28& values) {
    return Read(session, CMD_GET_OTHER27_TO_28, 2, timeoutMs, [&](auto payload) {
        values = {payload[0], payload[1]};
    });
}

ResultCode SetOperatingModeVerified(DeviceSession& session, std::uint8_t mode,
                                    SettingsApplyProgress* progress) {
    return WriteAndVerify(session, mode, SetOperatingMode, GetOperatingMode, progress);
}

ResultCode SetUsbSendTimeoutVerified(DeviceSession& session, std::uint16_t milliseconds,
                                     SettingsApplyProgress* progress) {
    return WriteAndVerify(session, milliseconds, SetUsbSendTimeout, GetUsbSendTimeout, progress);
}

ResultCode SetUsbReceiveTimeoutVerified(DeviceSession& session, std::uint16_t milliseconds,
                                        SettingsApplyProgress* progress) {
    return WriteAndVerify(session, milliseconds, SetUsbReceiveTimeout, GetUsbReceiveTimeout, progress);
}

ResultCode SetUsbTimeoutsVerified(DeviceSession& session, std::uint16_t sendMs, std::uint16_t receiveMs) {
    if (const ResultCode result = SetUsbSendTimeoutVerified(session, sendMs); result != RC_OK) {
        return result;
    }
    return SetUsbReceiveTimeoutVerified(session, receiveMs);
}

ResultCode Restart(DeviceSession& session, int timeoutMs) {
    return RestartWith(session, timeoutMs, RESTART_ONLY);
}

ResultCode RestartAndInitialize(DeviceSession& session, int timeoutMs) {
    return RestartWith(session, timeoutMs, RESTART_INITIALIZE);
}

ResultCode Recover(DeviceSession& session) {
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    const std::uint32_t rate =
        session.GetConnectionType() == ConnectionType::Com ? session.BaudRate() : 115200;
    if (const ResultCode result = SetCommSpeed(session, DeviceSession::CommandTimeoutMs, rate);
        result != RC_OK) {
        return result;
    }
    return Restart(session, DeviceSession::CommandTimeoutMs);
}

} // namespace orlo
