#pragma once

#include "core/platform/UniqueFd.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <system_error>

namespace orlo {

// Where a file named by a path is to be written: the folder, held open so that nothing swapped into
// the path afterwards can redirect the write, and the entry's name in it. Every symbolic link on the
// way is resolved by hand, refusing a link the kernel's protected_symlinks rule refuses (one in a
// sticky world-writable folder owned by neither the user nor the folder's owner), whatever the
// machine's setting. The entry, when it exists, must be a regular file.
class WriteTarget {
public:
    enum class LastLink { Follow, Keep };
    // Nothing (with `error`) when a link is refused, the entry is not a regular file, or the walk
    // fails; a missing entry is a new file. With LastLink::Keep a link as the last component is the
    // entry itself (for creating a file exclusively, which a link must make fail).
    static std::optional<WriteTarget> Resolve(const std::filesystem::path& path, std::error_code& error,
                                              LastLink lastLink = LastLink::Follow);

    int FolderFd() const { return folder_.Get(); }
    const std::filesystem::path& FolderPath() const { return folderPath_; }
    const std::string& Name() const { return name_; }
    std::filesystem::path Path() const { return folderPath_ / name_; }
    // The permission bits of the file being replaced; nothing for a new file.
    std::optional<mode_t> ExistingMode() const { return existingMode_; }

private:
    WriteTarget(UniqueFd folder, std::filesystem::path folderPath, std::string name,
                std::optional<mode_t> existingMode);

    UniqueFd folder_;
    std::filesystem::path folderPath_;
    std::string name_;
    std::optional<mode_t> existingMode_;
};

} // namespace orlo
