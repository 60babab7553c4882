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

// Why the tools refuse to write a file, beside the system's own reasons.
enum class FileWriteRefusal {
    NotRegularFile = 1, // a device, FIFO or socket is never replaced by a file
    UnsafeLink,         // a link the kernel's protected_symlinks rule would not follow
};
std::error_code make_error_code(FileWriteRefusal refusal);

// The folder that refused to take the new file when `error` came from there (creating the temporary
// file beside the target or renaming it over the target); empty otherwise.
std::filesystem::path RefusingFolder(const std::filesystem::path& path, const std::error_code& error);

// Called with the written temporary file before it replaces the target; false keeps the target as it is.
using AcceptWrittenFile = std::function<bool(const std::filesystem::path& written)>;

// Writes through a temporary file created exclusively in the same directory, synced and renamed over
// `path`, so a failure leaves the old file (or none) rather than a half-written one, and writers of
// the same target never share a temporary file. A target that exists must be a regular file. A
// symbolic link is followed rather than replaced, unless the kernel's protected_symlinks rule would
// refuse it. A replaced file keeps its permission bits (never setuid, setgid or sticky). Temporary
// files of this target left by a process that was killed before renaming are removed. On failure
// `error` (when given) holds the reason; it stays clear when `accept` refused the file.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::error_code* error = nullptr, const AcceptWrittenFile& accept = {});

// A stdio stream on a file named by a path in the system's own path encoding (fopen's modes).
std::FILE* OpenStdioFile(const std::filesystem::path& path, const char* mode);

// Opens a file for writing from its start ("wb"), creating it when missing. A symbolic link is not
// followed (it could make the log overwrite any file the user may write), and only a regular file is
// taken (a FIFO would block). Nothing when the file cannot be opened so.
std::FILE* OpenRegularFileForRewrite(const std::filesystem::path& path);

// Creates a file that does not exist yet and opens it for writing ("wb"); nothing when the name is
// taken (by anything, a link included) or the folder is reached through a link WriteFileAtomically
// would not follow.
std::FILE* CreateNewFile(const std::filesystem::path& path);

} // namespace orlo

template <>
struct std::is_error_code_enum<orlo::FileWriteRefusal> : std::true_type {};
