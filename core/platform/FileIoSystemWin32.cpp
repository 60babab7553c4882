#include "core/platform/FileIo.h"
#include "core/platform/FileIoSystem.h"
#include "core/platform/FileWriteErrors.h"
#include "core/platform/TempFileName.h"

#include <atomic>
#include <fcntl.h>
#include <io.h>
#include <limits>
#include <utility>
#include <windows.h>

namespace orlo {

namespace {

constexpr int kTempNameAttempts = 16;

// The portable error where there is one, so messages read as on POSIX ("No such file or directory").
std::error_code LastError() {
    const std::error_code system(static_cast<int>(::GetLastError()), std::system_category());
    const std::error_condition portable = system.default_error_condition();
    return portable.category() == std::generic_category()
               ? std::error_code(portable.value(), std::generic_category())
               : system;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
    // Closes now so that the caller sees the error of the last write-back.
    bool Close() {
        const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
        return handle == INVALID_HANDLE_VALUE || ::CloseHandle(handle) != FALSE;
    }

private:
    HANDLE handle_;
};

FileContents Load(const std::filesystem::path& file, std::size_t maxBytes) {
    FileContents result;
    std::error_code typeError;
    if (std::filesystem::is_directory(file, typeError)) {
        result.error = std::make_error_code(std::errc::is_a_directory);
        return result;
    }
    const FileHandle handle(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        const DWORD error = ::GetLastError();
        result.error = LastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            result.status = FileContents::Status::Missing;
            result.error = std::make_error_code(std::errc::no_such_file_or_directory);
        }
        return result;
    }
    // Pipes and devices are not files to load.
    if (::GetFileType(handle.Get()) != FILE_TYPE_DISK) {
        result.error = std::make_error_code(std::errc::not_supported);
        return result;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle.Get(), &size)) {
        result.error = LastError();
        return result;
    }
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
        result.error = std::make_error_code(std::errc::file_too_large);
        return result;
    }
    result.mode = 0666;
    LoadThrough(result, static_cast<std::uint64_t>(size.QuadPart), maxBytes,
                [&handle](char* into, std::size_t room, std::error_code& error) -> std::ptrdiff_t {
                    const DWORD wanted =
                        static_cast<DWORD>(std::min<std::size_t>(room, std::numeric_limits<DWORD>::max()));
                    DWORD count = 0;
                    if (!::ReadFile(handle.Get(), into, wanted, &count, nullptr)) {
                        error = LastError();
                        return -1;
                    }
                    return static_cast<std::ptrdiff_t>(count);
                });
    return result;
}

bool WriteAll(HANDLE handle, std::string_view data) {
    while (!data.empty()) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
        DWORD count = 0;
        if (!::WriteFile(handle, data.data(), wanted, &count, nullptr)) {
            return false;
        }
        if (count == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data.remove_prefix(count);
    }
    return true;
}

// A stdio stream that takes over the open handle.
std::FILE* StreamOf(FileHandle& handle, int flags, const char* mode) {
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle.Get()), flags);
    if (fd < 0) {
        return nullptr;
    }
    handle.Release(); // the descriptor owns it now
    std::FILE* file = ::_fdopen(fd, mode);
    if (file == nullptr) {
        ::_close(fd);
    }
    return file;
}

// A file created beside the target and removed again unless it was moved over the target.
class TempFile {
public:
    explicit TempFile(const std::filesystem::path& target) {
        static std::atomic<unsigned> counter{0};
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            std::filesystem::path candidate = TempFileName(target, ::GetCurrentProcessId(), counter++);
            // CREATE_NEW settles any clash, e.g. with a file left by a crashed process of the same id.
            HANDLE handle = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle != INVALID_HANDLE_VALUE) {
                handle_.emplace(handle);
                path_ = std::move(candidate);
                return;
            }
            if (::GetLastError() != ERROR_FILE_EXISTS) {
                // A folder that is not there is said as such, as on POSIX; one that refuses is named.
                error_ = LastError();
                if (error_ != std::errc::no_such_file_or_directory) {
                    error_ = FolderError(error_);
                }
                return;
            }
        }
        error_ = FolderError(std::make_error_code(std::errc::file_exists));
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path_.empty()) {
            handle_.reset();
            ::DeleteFileW(path_.c_str());
        }
    }

    bool Valid() const { return handle_.has_value(); }
    const std::error_code& Error() const { return error_; }
    const std::filesystem::path& Path() const { return path_; }
    HANDLE Handle() const { return handle_->Get(); }
    bool Close() { return handle_->Close(); }
    bool MoveOver(const std::filesystem::path& target) {
        if (!::MoveFileExW(path_.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return false;
        }
        path_.clear();
        return true;
    }

private:
    std::optional<FileHandle> handle_;
    std::filesystem::path path_;
    std::error_code error_;
};

bool ReplaceFile(const std::filesystem::path& target, std::string_view text, std::error_code& error,
                 const AcceptWrittenFile& accept) {
    TempFile temp(target);
    if (!temp.Valid()) {
        error = temp.Error();
        return false;
    }
    if (!WriteAll(temp.Handle(), text) || !::FlushFileBuffers(temp.Handle()) || !temp.Close()) {
        error = LastError();
        return false;
    }
    if (accept && !accept(temp.Path())) {
        return false;
    }
    if (!temp.MoveOver(target)) {
        error = FolderError(LastError());
        return false;
    }
    return true;
}

// A directory, or a device or pipe behind the name ("NUL", "COM1"), is never replaced by a file.
std::error_code RefusalOf(const std::filesystem::path& target) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    const FileHandle handle(::CreateFileW(target.c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (handle.Valid() && ::GetFileType(handle.Get()) != FILE_TYPE_DISK) {
        return make_error_code(FileWriteRefusal::NotRegularFile);
    }
    return {};
}

bool ProcessIsGone(unsigned long process) {
    if (process == ::GetCurrentProcessId()) {
        return false;
    }
    const HANDLE handle =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
    if (handle == nullptr) {
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    }
    DWORD exitCode = 0;
    const bool exited = ::GetExitCodeProcess(handle, &exitCode) && exitCode != STILL_ACTIVE;
    ::CloseHandle(handle);
    return exited;
}

// A kill between writing and moving leaves a complete hidden file; those of processes that no
// longer run are removed.
void RemoveStaleTempFiles(const std::filesystem::path& target) {
    std::error_code error;
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(L".");
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const auto process = TempFileProcess(target, entry->path().filename().string());
        if (process && ProcessIsGone(*process) && entry->is_regular_file(error)) {
            ::DeleteFileW(entry->path().c_str());
        }
    }
}

std::filesystem::path FollowLink(const std::filesystem::path& file) {
    std::error_code error;
    if (std::filesystem::is_symlink(file, error)) {
        auto resolved = std::filesystem::canonical(file, error);
        if (!error) {
            return resolved;
        }
    }
    return file;
}

} // namespace

FileContents ReadFileContents(const std::filesystem::path& path, std::size_t maxBytes) {
    return Load(path, maxBytes);
}

std::FILE* OpenStdioFile(const std::filesystem::path& path, const char* mode) {
    const std::string_view modeText(mode);
    const bool reading = modeText.starts_with('r');
    const bool appending = modeText.starts_with('a');
    const bool update = modeText.find('+') != std::string_view::npos;
    const DWORD access = update ? GENERIC_READ | GENERIC_WRITE : reading ? GENERIC_READ : GENERIC_WRITE;
    const DWORD disposition = reading ? OPEN_EXISTING : appending ? OPEN_ALWAYS : CREATE_ALWAYS;
    // Shared for renaming and deleting, as a POSIX file is: a log being written can be moved away.
    FileHandle handle(::CreateFileW(path.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        return nullptr;
    }
    const int flags = (update    ? _O_RDWR
                       : reading ? _O_RDONLY
                                 : _O_WRONLY) |
                      (appending ? _O_APPEND : 0) |
                      (modeText.find('b') != std::string_view::npos ? _O_BINARY : _O_TEXT);
    return StreamOf(handle, flags, mode);
}

std::FILE* OpenRegularFileForRewrite(const std::filesystem::path& path) {
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself rather than its target; it is then refused.
    FileHandle handle(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.Valid()) {
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle.Get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle.Get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        !::SetEndOfFile(handle.Get())) {
        return nullptr;
    }
    return StreamOf(handle, _O_WRONLY | _O_BINARY, "wb");
}

// The replacement gets the directory's default security, as a file saved by any program would.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::error_code* error,
                         const AcceptWrittenFile& accept) {
    const std::filesystem::path target = FollowLink(path);
    std::error_code reason = RefusalOf(target);
    bool written = false;
    if (!reason) {
        RemoveStaleTempFiles(target);
        written = ReplaceFile(target, bytes, reason, accept);
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
    return std::filesystem::absolute(FollowLink(path), ignored).parent_path();
}

std::FILE* CreateNewFile(const std::filesystem::path& path) {
    // CREATE_NEW fails on any existing name, a link included.
    FileHandle handle(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.Valid()) {
        return nullptr;
    }
    return StreamOf(handle, _O_WRONLY | _O_BINARY, "wb");
}

} // namespace orlo
