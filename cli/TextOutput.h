#pragma once

#include "core/platform/PrintableText.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

namespace orlo::cli {

// A file name as PrintableText writes it, except that the system's path separator stays as it is (a
// Windows path is written with its backslashes).
std::string PrintablePath(std::string_view file);
// A text as a JSON string literal.
std::string JsonString(std::string_view text);
// "cannot write FILE: reason", naming the folder when it is the folder that refused the new file.
std::string FileWriteFailure(const std::string& file, const std::error_code& error);
// A file's bytes to a stream exactly as they are (standard output included: no line-end translation
// on Windows); false when the stream failed.
bool WriteBytes(std::ostream& out, std::string_view bytes);

} // namespace orlo::cli
