#pragma once

#include <string>
#include <string_view>

namespace orlo::cli {

// Text from a sensor or a file as it may go to a terminal: control characters, bytes that are not
// UTF-8 and the backslash are written as \xNN, so no byte can move the cursor or change the
// terminal's state.
std::string PrintableText(std::string_view text);
// A file name as PrintableText writes it, except that the system's path separator stays as it is (a
// Windows path is written with its backslashes).
std::string PrintablePath(std::string_view file);
// A sensor's CP932 bytes (a settings file's DeviceInfo) as printable UTF-8.
std::string PrintableDeviceText(std::string_view cp932);
// A text as a JSON string literal.
std::string JsonString(std::string_view text);

} // namespace orlo::cli
