#include "core/platform/FileIo.h"

#include "core/platform/FileIoSystem.h"

#include <algorithm>

namespace orlo {

void LoadThrough(FileContents& contents, std::uint64_t reportedSize, std::size_t maxBytes,
                 const ReadSome& read) {
    // Room for one byte more than reported, to notice a file that grew meanwhile.
    std::string text(static_cast<std::size_t>(std::min<std::uint64_t>(reportedSize, maxBytes)) + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size == text.size()) {
            if (size > maxBytes) {
                contents.error = std::make_error_code(std::errc::file_too_large);
                return;
            }
            text.resize(std::min(size * 2, maxBytes + 1));
        }
        std::error_code error;
        const std::ptrdiff_t count = read(text.data() + size, text.size() - size, error);
        if (count < 0) {
            contents.error = error;
            return;
        }
        if (count == 0) {
            break;
        }
        size += static_cast<std::size_t>(count);
    }
    text.resize(size);
    contents.text = std::move(text);
    contents.status = FileContents::Status::Loaded;
}

std::optional<std::string> ReadFileLimited(const std::filesystem::path& path, std::size_t maxBytes) {
    FileContents contents = ReadFileContents(path, maxBytes);
    if (contents.status != FileContents::Status::Loaded) {
        return std::nullopt;
    }
    return std::move(contents.text);
}

} // namespace orlo
