#include "cli/TextOutput.h"

#include "platform/CodePage.h"
#include "platform/FileIo.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace orlo::cli {

namespace {

// Length of the valid UTF-8 sequence at text[i] that is not a control character, else 0.
std::size_t PrintableSequence(std::string_view text, std::size_t i) {
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

} // namespace

std::string PrintableText(std::string_view text) {
    std::string printable;
    printable.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t length = PrintableSequence(text, i); length > 0) {
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

std::string PrintablePath(std::string_view file) {
    constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
    std::string printable;
    for (std::size_t start = 0;;) {
        const std::size_t end = file.find(kSeparator, start);
        printable += PrintableText(file.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) {
            return printable;
        }
        printable += kSeparator;
        start = end + 1;
    }
}

std::string PrintableDeviceText(std::string_view cp932) {
    const auto utf8 = Cp932ToUtf8(cp932);
    return PrintableText(utf8 ? std::string_view(*utf8) : cp932);
}

std::string JsonString(std::string_view text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            quoted += "\\\"";
            break;
        case '\\':
            quoted += "\\\\";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                quoted += escaped;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

std::string FileWriteFailure(const std::string& file, const std::error_code& error) {
    std::string text = "cannot write " + PrintablePath(file) + ": ";
    if (const std::filesystem::path folder = RefusingFolder(file, error); !folder.empty()) {
        text += "the folder " + PrintablePath(folder.string()) + " does not take the new file: ";
    }
    return text + error.message();
}

bool WriteBytes(std::ostream& out, std::string_view bytes) {
#ifdef _WIN32
    // Text mode would turn every LF of the file into CR LF.
    const bool console = &out == &std::cout;
    int previous = -1;
    if (console) {
        out.flush();
        previous = ::_setmode(::_fileno(stdout), _O_BINARY);
    }
#endif
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
#ifdef _WIN32
    if (console && previous != -1) {
        ::_setmode(::_fileno(stdout), previous);
    }
#endif
    return out.good();
}

} // namespace orlo::cli
