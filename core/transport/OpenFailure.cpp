#include "core/transport/OpenFailure.h"

#include <cerrno>

namespace orlo {

OpenFailure ClassifyOpenError(int systemError) {
    switch (systemError) {
    case 0:
        return OpenFailure::None;
    case EACCES:
    case EPERM:
        return OpenFailure::PermissionDenied;
    default:
        return OpenFailure::Other;
    }
}

} // namespace orlo
