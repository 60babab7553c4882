#include "core/platform/PrivateProfile.h"

#include "core/platform/FileIo.h"
#include "core/platform/IniDocument.h"
#include "core/platform/TextFileEncoding.h"

#include <algorithm>
#include <limits>
#include <mutex>

namespace orlo {

namespace {

constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxValueBytes = 511;

std::mutex& WriteMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string CutValue(std::string_view value) {
    return std::string(value.substr(0, kMaxValueBytes));
}

bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

std::string ReadProfileString(const std::filesystem::path& file, std::string_view section,
                              std::string_view key, std::string_view defaultValue) {
    const FileContents loaded = ReadFileContents(file, kMaxFileBytes);
    const auto decoded =
        loaded.status == FileContents::Status::Loaded ? DecodeTextFile(loaded.text) : std::nullopt;
    if (!decoded) {
        return CutValue(defaultValue);
    }
    const auto value = IniDocument::Parse(decoded->text).Get(section, key);
    return CutValue(value ? std::string_view(*value) : defaultValue);
}

bool WriteProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    // Read-modify-write: two threads changing different keys must not lose one of the changes.
    const std::lock_guard lock(WriteMutex());
    const FileContents loaded = ReadFileContents(file, kMaxFileBytes);
    if (loaded.status == FileContents::Status::Unreadable) {
        return false;
    }
    // A new file is ASCII; an existing one is written back in the encoding it has.
    auto decoded = loaded.status == FileContents::Status::Loaded
                       ? DecodeTextFile(loaded.text)
                       : std::optional<DecodedTextFile>(DecodedTextFile{});
    if (!decoded) {
        return false;
    }
    IniDocument document = IniDocument::Parse(decoded->text);
    if (!document.Set(section, key, value)) {
        return false;
    }
    decoded->text = document.Serialize();
    const auto bytes = EncodeTextFile(*decoded);
    return bytes && WriteFileAtomically(file, *bytes);
}

std::optional<std::int64_t> ParseLongPrefix(std::string_view text) {
    // Far beyond 32 bits, yet no sum below can overflow.
    constexpr std::int64_t kLimit = std::int64_t{1} << 40;
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t digits = i;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = std::min(magnitude * 10 + (text[i] - '0'), kLimit);
    }
    if (i == digits) {
        return std::nullopt;
    }
    return negative ? -magnitude : magnitude;
}

std::int32_t ParseLongSaturated(std::string_view text) {
    const std::int64_t value = ParseLongPrefix(text).value_or(0);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace orlo
