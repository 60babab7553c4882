#include "core/platform/PrintableText.h"

#include "core/platform/CodePage.h"

#include <cstdint>
#include <cstdio>

namespace orlo {

std::size_t PrintableSequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x20 && lead < 0x7F) {
        return lead == '\\' ? 0 : 1;
    }
    const std::size_t length = (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    std::uint32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) {
            return 0;
        }
        code = code << 6 | (next & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = code >= kSmallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    // C1 control characters (U+0080 to U+009F) steer terminals as the C0 ones do.
    return valid && (code < 0x80 || code > 0x9F) ? length : 0;
}

std::string PrintableText(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = PrintableSequenceLength(text, i); length > 0) {
            printable.append(text.substr(i, length));
            i += length;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(text[i]));
        printable += escaped;
        ++i;
    }
    return printable;
}

std::string PrintableDeviceText(std::string_view cp932) {
    const auto utf8 = Cp932ToUtf8(cp932);
    return PrintableText(utf8 ? std::string_view(*utf8) : cp932);
}

} // namespace orlo
