#pragma once

#include "core/device/ResultCode.h"
#include "core/transport/OpenFailure.h"

#include <string>

namespace orlo {

// The one message-box text for a failed device operation, so that a failure reads the same on
// every page. RC_OK is not a failure and gives an empty text.
std::string ResultMessage(ResultCode code);

// ResultMessage for the apply paths, where a read-back mismatch asks the user to apply again.
std::string ApplyResultMessage(ResultCode code);

// ResultMessage for a serial connect: a port the system refused to open adds how to get access.
std::string ComConnectResultMessage(ResultCode code, OpenFailure failure);

} // namespace orlo
