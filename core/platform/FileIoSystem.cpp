#include "core/platform/FileIoSystem.h"

#include "core/platform/FileIo.h"
#include "core/platform/FileWriteErrors.h"
#include "core/platform/TempFileName.h"
#include "core/platform/WriteTarget.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace orlo {

namespace {

constexpr int kTempNameAttempts = 16;

std::error_code LastError() {
    return {errno, std::generic_category()};
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now so that the caller sees the error of the last write-back.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

FileContents Load(const std::filesystem::path& file, std::size_t maxBytes) {
    FileContents result;
    // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
    FileDescriptor fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid()) {
        result.error = LastError();
        if (errno == ENOENT) {
            result.status = FileContents::Status::Missing;
        }
        return result;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        result.error = LastError();
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = std::make_error_code(S_ISDIR(info.st_mode) ? std::errc::is_a_directory
                                                                  : std::errc::not_supported);
        return result;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
        result.error = std::make_error_code(std::errc::file_too_large);
        return result;
    }
    result.mode = info.st_mode;
    LoadThrough(result, static_cast<std::uint64_t>(info.st_size), maxBytes,
                [&fd](char* into, std::size_t room, std::error_code& error) -> std::ptrdiff_t {
                    for (;;) {
                        const ssize_t count = ::read(fd.Get(), into, room);
                        if (count >= 0 || errno != EINTR) {
                            error = count < 0 ? LastError() : std::error_code();
                            return count;
                        }
                    }
                });
    return result;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t count = ::write(fd, data.data(), data.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count == 0) {
            errno = ENOSPC;
        }
        if (count <= 0) {
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// A file created beside the target and removed again unless it was renamed over the target.
class TempFile {
public:
    TempFile(const WriteTarget& target, mode_t mode) : folder_(target.FolderFd()) {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            // O_EXCL settles any clash, e.g. with a file left by a crashed process of the same id.
            std::string candidate =
                TempFileName(target.Name(), static_cast<unsigned long>(::getpid()), counter++).string();
            const int fd = ::openat(folder_, candidate.c_str(),
                                    O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, mode);
            if (fd >= 0) {
                fd_.emplace(fd);
                name_ = std::move(candidate);
                path_ = target.FolderPath() / name_;
                return;
            }
            if (errno != EEXIST) {
                error_ = FolderError(LastError());
                return;
            }
        }
        error_ = FolderError(std::make_error_code(std::errc::file_exists));
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!name_.empty()) {
            ::unlinkat(folder_, name_.c_str(), 0);
        }
    }

    bool Valid() const { return fd_.has_value(); }
    const std::error_code& Error() const { return error_; }
    const std::filesystem::path& Path() const { return path_; }
    int Fd() const { return fd_->Get(); }
    bool Close() { return fd_->Close(); }
    bool RenameOver(const WriteTarget& target) {
        if (::renameat(folder_, name_.c_str(), folder_, target.Name().c_str()) != 0) {
            return false;
        }
        name_.clear();
        return true;
    }

private:
    int folder_;
    std::optional<FileDescriptor> fd_;
    std::string name_;
    std::filesystem::path path_;
    std::error_code error_;
};

bool ReplaceFile(const WriteTarget& target, std::string_view text, std::error_code& error,
                 const AcceptWrittenFile& accept) {
    // Created no wider than the file it replaces; special bits are never carried over.
    const std::optional<mode_t> mode = target.ExistingMode();
    TempFile temp(target, mode ? *mode : 0666);
    if (!temp.Valid()) {
        error = temp.Error();
        return false;
    }
    if (mode && ::fchmod(temp.Fd(), *mode) != 0) {
        error = LastError();
        return false;
    }
    if (!WriteAll(temp.Fd(), text) || ::fsync(temp.Fd()) != 0 || !temp.Close()) {
        error = LastError();
        return false;
    }
    if (accept && !accept(temp.Path())) {
        return false;
    }
    if (!temp.RenameOver(target)) {
        error = FolderError(LastError());
        return false;
    }
    return true;
}

bool ProcessIsGone(unsigned long process) {
    return process != static_cast<unsigned long>(::getpid()) && ::kill(static_cast<pid_t>(process), 0) != 0 &&
           errno == ESRCH;
}

// A kill between writing and renaming leaves a complete hidden file; ours (same owner, a process
// that no longer runs) are removed, anyone else's are left alone.
void RemoveStaleTempFiles(const WriteTarget& target) {
    const int listing = ::openat(target.FolderFd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) {
        return;
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::fdopendir(listing), &::closedir);
    if (!folder) {
        ::close(listing);
        return;
    }
    while (const dirent* entry = ::readdir(folder.get())) {
        const auto process = TempFileProcess(target.Name(), entry->d_name);
        struct stat info {};
        if (process && ProcessIsGone(*process) &&
            ::fstatat(target.FolderFd(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid()) {
            ::unlinkat(target.FolderFd(), entry->d_name, 0);
        }
    }
}

} // namespace

FileContents ReadFileContents(const std::filesystem::path& path, std::size_t maxBytes) {
    return Load(path, maxBytes);
}

std::FILE* OpenStdioFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::FILE* OpenRegularFileForRewrite(const std::filesystem::path& path) {
    std::error_code error;
    const auto target = WriteTarget::Resolve(path, error, WriteTarget::LastLink::Keep);
    if (!target) {
        return nullptr;
    }
    const int fd = ::openat(target->FolderFd(), target->Name().c_str(),
                            O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) == 0) {
        file = ::fdopen(fd, "wb");
    }
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::error_code* error,
                         const AcceptWrittenFile& accept) {
    std::error_code reason;
    bool written = false;
    if (const auto target = WriteTarget::Resolve(path, reason)) {
        RemoveStaleTempFiles(*target);
        written = ReplaceFile(*target, bytes, reason, accept);
    }
    if (error != nullptr) {
        *error = reason;
    }
    return written;
}

std::filesystem::path RefusingFolder(const std::filesystem::path& path, const std::error_code& error) {
    if (!IsFolderError(error)) {
        return {};
    }
    std::error_code ignored;
    const auto target = WriteTarget::Resolve(path, ignored);
    return target ? target->FolderPath() : std::filesystem::absolute(path, ignored).parent_path();
}

std::FILE* CreateNewFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto target = WriteTarget::Resolve(path, error, WriteTarget::LastLink::Keep);
    if (!target) {
        return nullptr;
    }
    const int fd = ::openat(target->FolderFd(), target->Name().c_str(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
}

} // namespace orlo
