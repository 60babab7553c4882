#include "core/platform/CodePage.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace orlo {

namespace {

struct IconvCloser {
    void operator()(iconv_t handle) const { iconv_close(handle); }
};

std::optional<std::string> Convert(const char* to, const char* from, std::string_view input) {
    iconv_t raw = iconv_open(to, from);
    if (raw == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser> handle(raw);
    std::string output;
    std::string in(input);
    char* inPointer = in.data();
    std::size_t inLeft = in.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPointer = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(raw, &inPointer, &inLeft, &outPointer, &outLeft);
        output.append(buffer, outPointer);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            return std::nullopt;
        }
    }
    return output;
}

} // namespace

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    return Convert("UTF-8", "CP932", cp932);
}

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    return Convert("CP932", "UTF-8", utf8);
}

} // namespace orlo
