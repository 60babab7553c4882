#pragma once

#include <cstdint>

namespace orlo {

// Result of every device operation: 0 success, positive codes for conditions the callers handle
// (time-out, reconnect failure, cancel, settings abnormal), negative codes for failures; -s is a device
// error with response status s.
using ResultCode = std::int32_t;

inline constexpr ResultCode RC_OK = 0;
inline constexpr ResultCode RC_TIMEOUT = 1;
inline constexpr ResultCode RC_RECONNECT_FAILED = 10;
// The user gave up: DeviceSession::Abort ended the operation, and the session is closed.
inline constexpr ResultCode RC_CANCELLED = 20;
inline constexpr ResultCode RC_SETTINGS_ABNORMAL = 80;
inline constexpr ResultCode RC_NO_LINK = -1;
inline constexpr ResultCode RC_SHORT_TRANSFER = -2;
inline constexpr ResultCode RC_VERIFY_MISMATCH = -50;
inline constexpr ResultCode RC_SETTINGS_FILE = -51;
inline constexpr ResultCode RC_OPEN_FAILED = -52;
inline constexpr ResultCode RC_BAD_HEADER = -100;
inline constexpr ResultCode RC_SHORT_RESPONSE = -102;
inline constexpr ResultCode RC_CHECKSUM = -103;
inline constexpr ResultCode RC_SEND_FAILED = -104;

inline constexpr std::uint8_t STATUS_OK = 0x00;
inline constexpr std::uint8_t STATUS_SETTINGS_ABNORMAL = 0x50;

} // namespace orlo
