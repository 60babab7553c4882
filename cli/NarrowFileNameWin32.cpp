#include "cli/NarrowFileName.h"

#include <windows.h>

namespace orlo::cli {

namespace {

std::wstring Wide(UINT codePage, std::string_view text) {
    const int length =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    }
    return wide;
}

// The system's own replacement stands in for a character the ANSI code page lacks.
std::string Ansi(const std::wstring& wide) {
    const int length = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                             0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), narrow.data(), length,
                              nullptr, nullptr);
    }
    return narrow;
}

} // namespace

bool NarrowNameHolds(std::string_view character) {
    // Held when it comes back from the ANSI code page as it went in.
    const std::wstring wide = Wide(CP_UTF8, character);
    return !wide.empty() && Wide(CP_ACP, Ansi(wide)) == wide;
}

std::string NarrowFileName(const std::string& utf8) {
    return Ansi(Wide(CP_UTF8, utf8));
}

} // namespace orlo::cli
