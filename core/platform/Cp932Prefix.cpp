#include "core/platform/CodePage.h"

namespace orlo {

namespace {

bool IsCp932LeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace

std::string_view Cp932Prefix(std::string_view cp932, std::size_t maxBytes) {
    std::size_t end = 0;
    while (end < cp932.size()) {
        const std::size_t width = IsCp932LeadByte(static_cast<unsigned char>(cp932[end])) ? 2 : 1;
        if (end + width > maxBytes || end + width > cp932.size()) {
            break;
        }
        end += width;
    }
    return cp932.substr(0, end);
}

} // namespace orlo
