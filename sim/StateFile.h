#pragma once

#include "sim/SensorSettings.h"

#include <string>

namespace orlo::sim {

// Keeps the sensor's settings in a small "key=value" text file between runs.
enum class StateLoad { Loaded, Missing, Invalid };

// On Loaded the settings are replaced (keys absent from the file keep their factory values);
// on Missing and Invalid they stay untouched and Invalid explains itself in `error`.
StateLoad loadStateFile(const std::string& path, SensorSettings& settings, std::string& error);

// Writes through a temporary file and one rename, so a crash never leaves half a file.
bool saveStateFile(const std::string& path, const SensorSettings& settings, std::string& error);

} // namespace orlo::sim
