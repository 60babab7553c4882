#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace orlo {

// ICMP echo messages as the address search sends them: 32 data bytes of 0x6F.
inline constexpr std::size_t kIcmpHeaderSize = 8;
inline constexpr std::size_t kEchoDataSize = 32;
inline constexpr std::uint8_t kEchoDataByte = 0x6F;

using EchoRequest = std::array<std::uint8_t, kIcmpHeaderSize + kEchoDataSize>;

struct EchoReplyHeader {
    std::uint16_t identifier = 0;
    std::uint16_t sequence = 0;
};

// Internet checksum (one's complement sum of 16-bit words); 0 over a message whose checksum is right.
std::uint16_t InternetChecksum(std::span<const std::uint8_t> bytes);

EchoRequest BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence);

// The identifier and sequence of an echo reply with a valid checksum; nothing for any other message
// (echo requests, unreachables quoting our request, truncated or corrupt packets). Raw sockets
// deliver the IPv4 header in front of the ICMP message: `withIpHeader`.
std::optional<EchoReplyHeader> ParseEchoReply(std::span<const std::uint8_t> packet, bool withIpHeader);

} // namespace orlo
