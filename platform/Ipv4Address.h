#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orlo {

// An IPv4 address as its four bytes, most significant first (a.b.c.d).
using Ipv4Address = std::array<std::uint8_t, 4>;

// "%d.%d.%d.%d", as lists and command lines show an address.
inline std::string FormatIpv4(const Ipv4Address& address) {
    return std::to_string(address[0]) + '.' + std::to_string(address[1]) + '.' + std::to_string(address[2]) +
           '.' + std::to_string(address[3]);
}

} // namespace orlo
