#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace orlo {

struct FileContents {
    enum class Status { Loaded, Missing, Unreadable };
    Status status = Status::Unreadable;
    std::string text;
    unsigned mode = 0;     // permission bits of a loaded file
    std::error_code error; // why a file is missing or unreadable
};

// Like ReadFileLimited, telling a missing file from one that cannot be read (a directory, a FIFO, no
// permission, too long). Never blocks on a FIFO.
FileContents ReadFileContents(const std::filesystem::path& path, std::size_t maxBytes);

// The whole file, or nothing when it cannot be read, is not a regular file or is longer than
// maxBytes (so a huge or wrong file is never loaded into memory).
std::optional<std::string> ReadFileLimited(const std::filesystem::path& path, std::size_t maxBytes);

// Called with the written temporary file before it replaces the target; false keeps the target as it is.
using AcceptWrittenFile = std::function<bool(const std::filesystem::path& written)>;

// Writes through a temporary file created exclusively in the same directory, synced and renamed over
// `path`, so a failure leaves the old file (or none) rather than a half-written one, and writers of
// the same target never share a temporary file. A replaced file keeps its permissions; a symbolic
// link is followed rather than replaced. On failure `error` (when given) holds the system's reason;
// it stays clear when `accept` refused the file.
// A stdio stream on a file named by a path in the system's own path encoding (fopen's modes).
std::FILE* OpenStdioFile(const std::filesystem::path& path, const char* mode);

// Opens a file for writing from its start ("wb"), creating it when missing. A symbolic link is not
// followed (it could make the log overwrite any file the user may write), and only a regular file is
// taken (a FIFO would block). Nothing when the file cannot be opened so.
std::FILE* OpenRegularFileForRewrite(const std::filesystem::path& path);

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::error_code* error = nullptr, const AcceptWrittenFile& accept = {});

} // namespace orlo
