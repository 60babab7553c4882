#pragma once

#include "core/device/SensorIdentifier.h"

#include <string>

namespace orlo::cli {

// One line per address: ADDRESS, MODEL, VERSION, TEXT separated by tabs, and for an address that is
// no sensor (or a sensor whose text is missing) what was found instead in a fifth field. The
// sensor's texts go through PrintableText: none of their bytes can steer the terminal.
std::string IdentityLine(const SensorIdentity& identity);
// The same as a JSON object.
std::string IdentityJson(const SensorIdentity& identity);

} // namespace orlo::cli
