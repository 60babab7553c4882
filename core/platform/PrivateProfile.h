#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#ifdef _WIN32
// The system header names its own WriteProfileString as a macro; included first, its guard keeps it
// from coming back after the macro is gone.
#include <windows.h>
#undef WriteProfileString
#endif

namespace orlo {

// Stand-ins for the Windows private-profile functions on INI files (see IniDocument). The file is read at
// every call. A file with a UTF-16LE or UTF-8 byte-order mark is read as Unicode (values come back as
// UTF-8) and written back in its own encoding; any other file's bytes pass through unchanged.

// The key's value, or defaultValue when the file, section or key is missing or the file cannot be read
// (not a regular file, no permission, larger than 1 MiB). Either is cut to 511 bytes, as by the
// 512-character buffer of the Windows tool.
std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue);

// Sets the key, creating the file and section as needed. The new text goes to a temporary file in the same
// directory that then replaces the file in one rename, so a failure leaves the old file as it was. A
// symbolic link is followed, not replaced. Writes from several threads are serialised. Returns false on
// failure, including an existing file that cannot be read and names or values IniDocument::Set refuses.
bool WriteProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::string_view value);

// C strtol in base 10, saturated to 32 bits: optional leading whitespace and sign, then digits up to the
// first other character. No digits give 0; values out of range give INT32_MIN or INT32_MAX.
std::int32_t ParseLongSaturated(std::string_view text);
// The number the same reading takes, without the 32-bit limit (beyond +-2^40 it saturates there); nothing
// when there are no digits, where ParseLongSaturated gives 0.
std::optional<std::int64_t> ParseLongPrefix(std::string_view text);

} // namespace orlo
