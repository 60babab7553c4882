#include "core/platform/CodePage.h"

#include <limits>
#include <windows.h>

namespace orlo {

namespace {

constexpr UINT kCp932 = 932;

// Strict in both directions: an invalid sequence fails instead of turning into a default character.
std::optional<std::wstring> ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) {
        return std::wstring{};
    }
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return std::nullopt;
    }
    const int length = static_cast<int>(text.size());
    const int size = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (size <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, wide.data(), size);
    return wide;
}

std::optional<std::string> FromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty()) {
        return std::string{};
    }
    const int length = static_cast<int>(wide.size());
    // UTF-8 takes WC_ERR_INVALID_CHARS; other code pages report a lossy conversion through usedDefault.
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* lossy = codePage == CP_UTF8 ? nullptr : &usedDefault;
    const int size = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, lossy);
    if (size <= 0 || usedDefault) {
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, flags, wide.data(), length, text.data(), size, nullptr, nullptr);
    return text;
}

std::optional<std::string> Convert(UINT to, UINT from, std::string_view input) {
    const auto wide = ToWide(from, input);
    return wide ? FromWide(to, *wide) : std::nullopt;
}

} // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    return Convert(CP_UTF8, kCp932, cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    return Convert(kCp932, CP_UTF8, utf8);
}

} // namespace orlo
