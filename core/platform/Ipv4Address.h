#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orlo {

// An IPv4 address as its four bytes, most significant first (a.b.c.d).
using Ipv4Address = std::array<std::uint8_t, 4>;

// "%d.%d.%d.%d", as lists and command lines show an address.
inline std::string FormatIpv4(const Ipv4Address& address) {
    return std::to_string(address[0]) + '.' + std::to_string(address[1]) + '.' + std::to_string(address[2]) +
           '.' + std::to_string(address[3]);
}

// A dotted IPv4 address "a.b.c.d" of four decimal numbers 0 to 255 without leading zeros; nothing for
// any other text (as inet_pton reads it).
inline std::optional<Ipv4Address> ParseIpv4(std::string_view text) {
    Ipv4Address address{};
    for (std::size_t part = 0; part < address.size(); ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.') {
                return std::nullopt;
            }
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        unsigned value = 0;
        while (digits < text.size() && digits < 4 && text[digits] >= '0' && text[digits] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[digits] - '0');
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text.front() == '0')) {
            return std::nullopt;
        }
        address[part] = static_cast<std::uint8_t>(value);
        text.remove_prefix(digits);
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    return address;
}

} // namespace orlo
