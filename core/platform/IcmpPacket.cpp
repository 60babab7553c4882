#include "core/platform/IcmpPacket.h"

namespace orlo {

namespace {

constexpr std::uint8_t kTypeEchoReply = 0;
constexpr std::uint8_t kTypeEchoRequest = 8;
constexpr std::uint8_t kProtocolIcmp = 1;
constexpr std::size_t kMinIpHeaderSize = 20;

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

} // namespace

std::uint16_t InternetChecksum(std::span<const std::uint8_t> bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        sum += Read16(bytes, i);
    }
    if (bytes.size() % 2 != 0) {
        sum += static_cast<std::uint32_t>(bytes.back()) << 8;
    }
    while (sum > 0xFFFF) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum);
}

EchoRequest BuildEchoRequest(std::uint16_t identifier, std::uint16_t sequence) {
    EchoRequest message{};
    message[0] = kTypeEchoRequest;
    message[4] = static_cast<std::uint8_t>(identifier >> 8);
    message[5] = static_cast<std::uint8_t>(identifier);
    message[6] = static_cast<std::uint8_t>(sequence >> 8);
    message[7] = static_cast<std::uint8_t>(sequence);
    for (std::size_t i = kIcmpHeaderSize; i < message.size(); ++i) {
        message[i] = kEchoDataByte;
    }
    const std::uint16_t checksum = InternetChecksum(message);
    message[2] = static_cast<std::uint8_t>(checksum >> 8);
    message[3] = static_cast<std::uint8_t>(checksum);
    return message;
}

std::optional<EchoReplyHeader> ParseEchoReply(std::span<const std::uint8_t> packet, bool withIpHeader) {
    if (withIpHeader) {
        if (packet.size() < kMinIpHeaderSize || packet[0] >> 4 != 4 || packet[9] != kProtocolIcmp) {
            return std::nullopt;
        }
        const std::size_t headerSize = static_cast<std::size_t>(packet[0] & 0x0F) * 4;
        const std::size_t totalSize = Read16(packet, 2);
        if (headerSize < kMinIpHeaderSize || totalSize < headerSize || totalSize > packet.size()) {
            return std::nullopt;
        }
        packet = packet.subspan(headerSize, totalSize - headerSize);
    }
    if (packet.size() < kIcmpHeaderSize || packet[0] != kTypeEchoReply || packet[1] != 0 ||
        InternetChecksum(packet) != 0) {
        return std::nullopt;
    }
    return EchoReplyHeader{Read16(packet, 4), Read16(packet, 6)};
}

} // namespace orlo
