#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orlo {

struct FileContents {
    enum class Status { Loaded, Missing, Unreadable };
    Status status = Status::Unreadable;
    std::string text;
    unsigned mode = 0; // permission bits of a loaded file
};

// Like ReadFileLimited, telling a missing file from one that cannot be read (a directory, a FIFO, no
// permission, too long). Never blocks on a FIFO.
FileContents ReadFileContents(const std::filesystem::path& path, std::size_t maxBytes);

// The whole file, or nothing when it cannot be read, is not a regular file or is longer than
// maxBytes (so a huge or wrong file is never loaded into memory).
std::optional<std::string> ReadFileLimited(const std::filesystem::path& path, std::size_t maxBytes);

// Writes through a temporary file in the same directory, synced and renamed over `path`, so a failure
// leaves the old file (or none) rather than a half-written one. A replaced file keeps its
// permissions; a symbolic link is followed rather than replaced.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace orlo
