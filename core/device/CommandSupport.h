#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/SettingsApplyProgress.h"
#include "core/device/Wire.h"

namespace orlo::command {

// Shared shapes of the single commands: a write, a read with its minimum payload, and the
// write-then-read-back rule the pages use.

inline ResultCode Write(DeviceSession& session, std::uint8_t code, const wire::PayloadBuilder& payload,
                        int timeoutMs) {
    return session.Transact(code, payload.Span(), timeoutMs);
}

template <typename Decode>
ResultCode Read(DeviceSession& session, std::uint8_t code, const wire::PayloadBuilder& request,
                std::uint32_t minimum, int timeoutMs, Decode decode) {
    std::span<const std::uint8_t> payload;
    const ResultCode result = session.TransactRead(code, request.Span(), minimum, timeoutMs, payload);
    if (result == RC_OK) {
        decode(payload);
    }
    return result;
}

template <typename Decode>
ResultCode Read(DeviceSession& session, std::uint8_t code, std::uint32_t minimum, int timeoutMs,
                Decode decode) {
    return Read(session, code, wire::PayloadBuilder(), minimum, timeoutMs, decode);
}

// Writes the value (counted in `progress`); if that succeeded and the session is still connected,
// reads it back: a different value is -50, a session lost in between -1.
template <typename Value, typename Setter, typename Getter>
ResultCode WriteAndVerify(DeviceSession& session, const Value& value, Setter set, Getter get,
                          SettingsApplyProgress* progress = nullptr) {
    if (const ResultCode result = CountWrite(progress, set(session, DeviceSession::CommandTimeoutMs, value));
        result != RC_OK) {
        return result;
    }
    if (!session.IsConnected()) {
        return RC_NO_LINK;
    }
    Value readBack{};
    if (const ResultCode result = get(session, DeviceSession::CommandTimeoutMs, readBack); result != RC_OK) {
        return result;
    }
    return readBack == value ? RC_OK : RC_VERIFY_MISMATCH;
}

} // namespace orlo::command
