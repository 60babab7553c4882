#pragma once

namespace orlo {

// Why a port could not be opened, as far as the user can do something about it.
enum class OpenFailure {
    None,
    // The system refused the user access to the device: on Linux the user is not in the group that
    // owns serial ports (dialout).
    PermissionDenied,
    Other,
};

// The failure that an errno value of a failed open stands for.
OpenFailure ClassifyOpenError(int systemError);

} // namespace orlo
