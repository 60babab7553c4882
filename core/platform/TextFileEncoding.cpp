#include "core/platform/TextFileEncoding.h"

#include <cstdint>

namespace orlo {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUtf16Le(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

bool IsHighSurrogate(std::uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(std::uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

std::optional<std::string> Utf16LeToText(std::string_view bytes) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string text;
    text.reserve(bytes.size());
    const auto unitAt = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        const std::uint32_t unit = unitAt(i);
        if (IsHighSurrogate(unit) && i + 3 < bytes.size() && IsLowSurrogate(unitAt(i + 2))) {
            AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00));
            i += 2;
        } else {
            AppendUtf8(text, unit);
        }
    }
    return text;
}

// One UTF-8 sequence at text[i] (surrogates allowed, as Utf16LeToText writes them); advances i.
std::optional<std::uint32_t> NextCode(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
    if (length == 0 || i + static_cast<std::size_t>(length) > text.size()) {
        return std::nullopt;
    }
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) {
            return std::nullopt;
        }
        code = code << 6 | (next & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF) {
        return std::nullopt;
    }
    i += static_cast<std::size_t>(length);
    return code;
}

std::optional<std::string> TextToUtf16Le(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        const auto code = NextCode(text, i);
        if (!code) {
            return std::nullopt;
        }
        if (*code >= 0x10000) {
            AppendUtf16Le(bytes, 0xD800 + ((*code - 0x10000) >> 10));
            AppendUtf16Le(bytes, 0xDC00 + ((*code - 0x10000) & 0x3FF));
        } else {
            AppendUtf16Le(bytes, *code);
        }
    }
    return bytes;
}

} // namespace

std::optional<DecodedTextFile> DecodeTextFile(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeMark)) {
        auto text = Utf16LeToText(bytes.substr(kUtf16LeMark.size()));
        if (!text) {
            return std::nullopt;
        }
        return DecodedTextFile{TextFileEncoding::Utf16LeWithMark, std::move(*text)};
    }
    if (bytes.starts_with(kUtf8Mark)) {
        return DecodedTextFile{TextFileEncoding::Utf8WithMark, std::string(bytes.substr(kUtf8Mark.size()))};
    }
    return DecodedTextFile{TextFileEncoding::Ansi, std::string(bytes)};
}

bool IsUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (!NextCode(text, i)) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> EncodeTextFile(const DecodedTextFile& file) {
    switch (file.encoding) {
    case TextFileEncoding::Ansi:
        return file.text;
    case TextFileEncoding::Utf8WithMark:
        return std::string(kUtf8Mark) + file.text;
    case TextFileEncoding::Utf16LeWithMark:
        if (auto bytes = TextToUtf16Le(file.text)) {
            return std::string(kUtf16LeMark) + *bytes;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace orlo
