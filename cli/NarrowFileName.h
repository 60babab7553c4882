#pragma once

#include <string>
#include <string_view>

namespace orlo::cli {

// File names the tool makes from a sensor's text, which is UTF-8, go to the same narrow file functions
// as the names a user gives: bytes as they are on POSIX, the ANSI code page on Windows.

// Whether a narrow file name can hold this one UTF-8 character.
bool NarrowNameHolds(std::string_view character);
// A UTF-8 name whose every character NarrowNameHolds, as the narrow file functions take it.
std::string NarrowFileName(const std::string& utf8);

} // namespace orlo::cli
