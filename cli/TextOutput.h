#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

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
// "cannot write FILE: reason", naming the folder when it is the folder that refused the new file.
std::string FileWriteFailure(const std::string& file, const std::error_code& error);
// A file's bytes to a stream exactly as they are (standard output included: no line-end translation
// on Windows); false when the stream failed.
bool WriteBytes(std::ostream& out, std::string_view bytes);

} // namespace orlo::cli
