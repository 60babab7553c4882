#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orlo {

// The whole file, or nothing when it cannot be read, is not a regular file or is longer than
// maxBytes (so a huge or wrong file is never loaded into memory).
std::optional<std::string> ReadFileLimited(const std::filesystem::path& path, std::size_t maxBytes);

// Writes through a temporary file in the same directory and renames it over `path`, so a failure
// leaves the old file (or none) rather than a half-written one.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace orlo
