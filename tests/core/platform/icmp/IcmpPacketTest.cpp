#include "core/platform/IcmpPacket.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace orlo {
namespace {

std::vector<std::uint8_t> ReplyTo(const EchoRequest& request) {
    std::vector<std::uint8_t> reply(request.begin(), request.end());
    reply[0] = 0;
    reply[2] = reply[3] = 0;
    const std::uint16_t checksum = InternetChecksum(reply);
    reply[2] = static_cast<std::uint8_t>(checksum >> 8);
    reply[3] = static_cast<std::uint8_t>(checksum);
    return reply;
}

// An IPv4 header of headerWords x 4 bytes (options zero) in front of an ICMP message.
std::vector<std::uint8_t> WithIpHeader(const std::vector<std::uint8_t>& icmp, int headerWords = 5) {
    const std::size_t header = static_cast<std::size_t>(headerWords) * 4;
    // Sized once and copied into: growing a 20-byte vector by insert makes GCC 12 at -O3 report a
    // false out-of-bounds copy (-Warray-bounds).
    std::vector<std::uint8_t> packet(header + icmp.size(), 0);
    packet[0] = static_cast<std::uint8_t>(0x40 | headerWords);
    packet[2] = static_cast<std::uint8_t>(packet.size() >> 8);
    packet[3] = static_cast<std::uint8_t>(packet.size());
    packet[8] = 64;
    packet[9] = 1;
    std::copy(icmp.begin(), icmp.end(), packet.begin() + static_cast<std::ptrdiff_t>(header));
    return packet;
}

TEST(IcmpPacket, ChecksumMatchesKnownValues) {
    const std::vector<std::uint8_t> even{0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
    EXPECT_EQ(InternetChecksum(even), 0x220D);
    // An odd trailing byte counts as the high half of a word.
    const std::vector<std::uint8_t> odd{0x00, 0x01, 0xF2};
    EXPECT_EQ(InternetChecksum(odd), static_cast<std::uint16_t>(~(0x0001 + 0xF200)));
}

TEST(IcmpPacket, EchoRequestLayout) {
    const EchoRequest request = BuildEchoRequest(0xBEEF, 0x0102);
    ASSERT_EQ(request.size(), 40u);
    EXPECT_EQ(request[0], 8);
    EXPECT_EQ(request[1], 0);
    EXPECT_EQ(request[4], 0xBE);
    EXPECT_EQ(request[5], 0xEF);
    EXPECT_EQ(request[6], 0x01);
    EXPECT_EQ(request[7], 0x02);
    for (std::size_t i = 8; i < request.size(); ++i) {
        EXPECT_EQ(request[i], 0x6F) << i;
    }
    EXPECT_EQ(InternetChecksum(request), 0);
}

TEST(IcmpPacket, ParsesRepliesWithAndWithoutIpHeader) {
    const auto reply = ReplyTo(BuildEchoRequest(0x1234, 200));
    for (const auto& [packet, withIp] : {std::pair{reply, false}, std::pair{WithIpHeader(reply), true},
                                         std::pair{WithIpHeader(reply, 7), true}}) {
        const auto header = ParseEchoReply(packet, withIp);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->identifier, 0x1234);
        EXPECT_EQ(header->sequence, 200);
    }
    // Bytes past the IP total length (padding) are not part of the message.
    auto padded = WithIpHeader(reply);
    padded.push_back(0xAA);
    EXPECT_TRUE(ParseEchoReply(padded, true).has_value());
}

TEST(IcmpPacket, RejectsEverythingButAnIntactEchoReply) {
    const EchoRequest request = BuildEchoRequest(0x1234, 5);
    const auto reply = ReplyTo(request);

    // Our own request looped back to a raw socket.
    EXPECT_FALSE(ParseEchoReply(WithIpHeader({request.begin(), request.end()}), true));

    // Destination unreachable quoting our request: identifier and sequence appear inside it.
    std::vector<std::uint8_t> unreachable{3, 1, 0, 0, 0, 0, 0, 0};
    const auto quoted = WithIpHeader({request.begin(), request.end()});
    unreachable.insert(unreachable.end(), quoted.begin(), quoted.end());
    const std::uint16_t checksum = InternetChecksum(unreachable);
    unreachable[2] = static_cast<std::uint8_t>(checksum >> 8);
    unreachable[3] = static_cast<std::uint8_t>(checksum);
    EXPECT_FALSE(ParseEchoReply(unreachable, false));
    EXPECT_FALSE(ParseEchoReply(WithIpHeader(unreachable), true));

    auto corrupt = reply;
    corrupt[20] ^= 0x01;
    EXPECT_FALSE(ParseEchoReply(corrupt, false));

    auto nonzeroCode = reply;
    nonzeroCode[1] = 1;
    EXPECT_FALSE(ParseEchoReply(nonzeroCode, false));

    EXPECT_FALSE(ParseEchoReply(std::vector<std::uint8_t>(reply.begin(), reply.begin() + 7), false));

    auto truncated = WithIpHeader(reply);
    truncated.pop_back();
    EXPECT_FALSE(ParseEchoReply(truncated, true));

    auto shortHeader = WithIpHeader(reply);
    shortHeader[0] = 0x44;
    EXPECT_FALSE(ParseEchoReply(shortHeader, true));

    auto notIcmp = WithIpHeader(reply);
    notIcmp[9] = 17;
    EXPECT_FALSE(ParseEchoReply(notIcmp, true));

    auto ipv6 = WithIpHeader(reply);
    ipv6[0] = 0x65;
    EXPECT_FALSE(ParseEchoReply(ipv6, true));

    EXPECT_FALSE(ParseEchoReply(std::vector<std::uint8_t>(reply.begin(), reply.end()), true));
}

} // namespace
} // namespace orlo
