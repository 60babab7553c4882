#include "core/device/ResultMessage.h"

#include "core/strings/StringTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace orlo {
namespace {

constexpr int kIdsOpenFailed = 1100;
constexpr int kIdsReconnectFailed = 1102;
constexpr int kIdsApplyMismatch = 1103;
constexpr int kIdsTimeout = 1104;
constexpr int kIdsLinkFault = 1105;
constexpr int kIdsDeviceFault = 1106;
constexpr int kIdsSettingsFile = 1108;
constexpr int kIdsFailureHex = 1109;
constexpr int kIdsFailureDecimal = 1110;
constexpr int kIdsSendFailed = 1112;
constexpr int kIdsSettingsAbnormal = 1113;
constexpr int kIdsCancelled = 9030;
constexpr int kIdsPortPermission = 9900;

std::string Text(int id) {
    return std::string(LoadString(id));
}

// The placeholder texts take exactly one argument, of the type their conversion names.
template <typename T>
std::string FormatText(int id, T value) {
    const std::string format = Text(id);
    const int length = std::snprintf(nullptr, 0, format.c_str(), value);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format.c_str(), value);
    return text;
}

} // namespace

std::string ResultMessage(ResultCode code) {
    switch (code) {
    case RC_OK:
        return {};
    case RC_TIMEOUT:
        return Text(kIdsTimeout);
    case RC_RECONNECT_FAILED:
        return Text(kIdsReconnectFailed);
    case RC_CANCELLED:
        return Text(kIdsCancelled);
    case RC_SETTINGS_ABNORMAL:
        return Text(kIdsSettingsAbnormal);
    case RC_SEND_FAILED:
        return Text(kIdsSendFailed);
    case RC_BAD_HEADER:
    case RC_SHORT_RESPONSE:
    case RC_CHECKSUM:
        return FormatText(kIdsFailureDecimal, static_cast<int>(code));
    case RC_OPEN_FAILED:
        return Text(kIdsOpenFailed);
    case RC_SETTINGS_FILE:
        return Text(kIdsSettingsFile);
    default:
        break;
    }
    // A device error is -status, so the low byte of -code is the status byte. Negating in
    // unsigned arithmetic keeps the most negative code defined.
    const unsigned status = (0u - static_cast<std::uint32_t>(code)) & 0xFFu;
    if (status >= 0xFA && status <= 0xFC) {
        return FormatText(kIdsLinkFault, status);
    }
    if (status >= 0xF0 && status <= 0xF9) {
        return FormatText(kIdsDeviceFault, status);
    }
    return FormatText(kIdsFailureHex, status);
}

std::string ApplyResultMessage(ResultCode code) {
    if (code == RC_VERIFY_MISMATCH) {
        return Text(kIdsApplyMismatch);
    }
    return ResultMessage(code);
}

std::string ComConnectResultMessage(ResultCode code, OpenFailure failure) {
    if (code == RC_OPEN_FAILED && failure == OpenFailure::PermissionDenied) {
        return ResultMessage(code) + "\n" + Text(kIdsPortPermission);
    }
    return ResultMessage(code);
}

} // namespace orlo
