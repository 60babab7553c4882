#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orlo {

// Conversions between UTF-8 and the ANSI code page of the sensor's texts and the Windows tool's files
// (code page 932). Both return nothing when the input is not valid in its encoding.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// The longest prefix of a CP932 text that fits maxBytes without splitting a double-byte character.
std::string_view Cp932Prefix(std::string_view cp932, std::size_t maxBytes);

} // namespace orlo
