#include "cli/NarrowFileName.h"

namespace orlo::cli {

bool NarrowNameHolds(std::string_view /*character*/) {
    return true;
}

std::string NarrowFileName(const std::string& utf8) {
    return utf8;
}

} // namespace orlo::cli
