#include "cli/TextOutput.h"

#include "core/platform/FileIo.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace orlo::cli {

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
