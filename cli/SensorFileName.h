#pragma once

#include "core/device/SensorIdentifier.h"

#include <string>
#include <string_view>

namespace orlo::cli {

// The name of a sensor's file in a folder of many: its address (with -PORT when the port is not
// 9600) and, when it has one, its information text made safe for a file name on every system: no
// separator, control character, byte that is not UTF-8, character Windows refuses or blank (each
// becomes _), no leading or trailing dot, at most 60 bytes of text. Japanese stays as it is where
// the system's narrow file names hold it (always on POSIX; on Windows in a Japanese ANSI code page).
// "192.168.0.21_入口_北" for the text "入口 北". The name is in the narrow file functions' encoding.
std::string SensorFileName(const IdentifyTarget& target, std::string_view text);

} // namespace orlo::cli
