#pragma once

#include "core/device/DeviceSession.h"
#include "core/device/ResultCode.h"

#include <functional>
#include <initializer_list>

namespace orlo {

// Runs the steps in order, each only while the session is still connected (-1 otherwise); the first
// step that fails ends the run with its result.
inline ResultCode RunWhileConnected(DeviceSession& session,
                                    std::initializer_list<std::function<ResultCode()>> steps) {
    for (const auto& step : steps) {
        if (!session.IsConnected()) {
            return RC_NO_LINK;
        }
        if (const ResultCode result = step(); result != RC_OK) {
            return result;
        }
    }
    return RC_OK;
}

} // namespace orlo
