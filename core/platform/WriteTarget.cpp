#include "core/platform/WriteTarget.h"

#include "core/platform/FileIo.h"

#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace orlo {

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

std::error_code LastError() {
    return {errno, std::generic_category()};
}

std::deque<std::string> Components(const std::filesystem::path& path) {
    std::deque<std::string> parts;
    for (const auto& part : path.relative_path()) {
        if (!part.empty()) {
            parts.push_back(part.string());
        }
    }
    return parts;
}

// The kernel's protected_symlinks rule for a link found in `folder`.
bool MayFollow(const struct stat& link, const struct stat& folder) {
    const bool sharedSticky = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !sharedSticky || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

std::error_code RefusalFor(const struct stat& entry) {
    return S_ISDIR(entry.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                  : make_error_code(FileWriteRefusal::NotRegularFile);
}

std::optional<std::string> ReadLinkAt(int folder, const std::string& name, std::size_t size) {
    std::string target(static_cast<std::size_t>(size > 0 ? size : 255) + 1, '\0');
    for (;;) {
        const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
        if (length < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return target;
        }
        target.resize(target.size() * 2);
    }
}

} // namespace

WriteTarget::WriteTarget(UniqueFd folder, std::filesystem::path folderPath, std::string name,
                         std::optional<mode_t> existingMode)
    : folder_(std::move(folder)), folderPath_(std::move(folderPath)), name_(std::move(name)),
      existingMode_(existingMode) {}

std::optional<WriteTarget> WriteTarget::Resolve(const std::filesystem::path& path, std::error_code& error,
                                                LastLink lastLink) {
    std::error_code absoluteError;
    const std::filesystem::path absolute = std::filesystem::absolute(path, absoluteError);
    if (absoluteError || !path.has_filename()) {
        error = absoluteError ? absoluteError : std::make_error_code(std::errc::is_a_directory);
        return std::nullopt;
    }
    UniqueFd folder(::open("/", kFolderFlags));
    std::filesystem::path folderPath = "/";
    std::deque<std::string> pending = Components(absolute);
    int links = 0;
    while (!folder.Valid() || !pending.empty()) {
        if (!folder.Valid()) {
            error = LastError();
            return std::nullopt;
        }
        const std::string part = std::move(pending.front());
        pending.pop_front();
        const bool last = pending.empty();
        if (part == "." || (part == ".." && !last)) {
            if (part == "..") {
                folder.Reset(::openat(folder.Get(), "..", kFolderFlags));
                folderPath = folderPath.parent_path();
            }
            continue;
        }
        struct stat entry {};
        if (::fstatat(folder.Get(), part.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || !last) {
                // The folder is what is missing or unreadable.
                error = LastError();
                return std::nullopt;
            }
            return WriteTarget(std::move(folder), std::move(folderPath), part, std::nullopt);
        }
        if (S_ISLNK(entry.st_mode) && last && lastLink == LastLink::Keep) {
            return WriteTarget(std::move(folder), std::move(folderPath), part, std::nullopt);
        }
        if (S_ISLNK(entry.st_mode)) {
            struct stat folderInfo {};
            if (::fstat(folder.Get(), &folderInfo) != 0) {
                error = LastError();
                return std::nullopt;
            }
            if (!MayFollow(entry, folderInfo)) {
                error = make_error_code(FileWriteRefusal::UnsafeLink);
                return std::nullopt;
            }
            // A link the system resolves itself (/dev/stdout to a pipe) names no path to walk, so
            // what it leads to is judged here.
            struct stat leadsTo {};
            if (last && ::fstatat(folder.Get(), part.c_str(), &leadsTo, 0) == 0 &&
                !S_ISREG(leadsTo.st_mode)) {
                error = RefusalFor(leadsTo);
                return std::nullopt;
            }
            const auto target = ReadLinkAt(folder.Get(), part, static_cast<std::size_t>(entry.st_size));
            if (!target || target->empty() || ++links > kMaxLinks) {
                error = target ? std::make_error_code(std::errc::too_many_symbolic_link_levels) : LastError();
                return std::nullopt;
            }
            const std::filesystem::path next(*target);
            std::deque<std::string> spliced = Components(next);
            spliced.insert(spliced.end(), pending.begin(), pending.end());
            pending = std::move(spliced);
            if (next.is_absolute()) {
                folder.Reset(::open("/", kFolderFlags));
                folderPath = "/";
            }
            if (pending.empty()) {
                error = std::make_error_code(std::errc::is_a_directory);
                return std::nullopt;
            }
            continue;
        }
        if (last) {
            if (!S_ISREG(entry.st_mode)) {
                error = RefusalFor(entry);
                return std::nullopt;
            }
            return WriteTarget(std::move(folder), std::move(folderPath), part, entry.st_mode & 0777);
        }
        folder.Reset(::openat(folder.Get(), part.c_str(), kFolderFlags | O_NOFOLLOW));
        folderPath /= part;
    }
    error = std::make_error_code(std::errc::is_a_directory);
    return std::nullopt;
}

} // namespace orlo
