#include "core/platform/IcmpEchoSocket.h"

#include "tests/core/platform/icmp/IcmpTestSupport.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <grp.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace orlo {
namespace {

using namespace std::chrono_literals;

std::optional<EchoReply> AwaitReply(IcmpEchoSocket& socket) {
    const auto giveUp = std::chrono::steady_clock::now() + 5s;
    while (std::chrono::steady_clock::now() < giveUp) {
        if (auto reply = socket.ReceivePending()) {
            return reply;
        }
        socket.WaitReadable(100ms);
    }
    return std::nullopt;
}

TEST(IcmpOpenFailure, NamesTheSettingThatRefusedThePingSocket) {
    const auto failure = DescribeIcmpOpenFailure(EACCES, EPERM, 1000);
    EXPECT_EQ(failure.error, IcmpSocketError::PingGroupRange);
    EXPECT_NE(failure.text.find("net.ipv4.ping_group_range"), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find("group 1000"), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find("CAP_NET_RAW"), std::string::npos) << failure.text;
}

TEST(IcmpOpenFailure, NamesTheMissingCapabilityWhenPingSocketsAreUnsupported) {
    const auto failure = DescribeIcmpOpenFailure(EPROTONOSUPPORT, EPERM, 0);
    EXPECT_EQ(failure.error, IcmpSocketError::RawCapability);
    EXPECT_NE(failure.text.find("CAP_NET_RAW"), std::string::npos) << failure.text;
    EXPECT_EQ(failure.text.find("ping_group_range"), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find(std::strerror(EPROTONOSUPPORT)), std::string::npos) << failure.text;
}

TEST(IcmpOpenFailure, OtherFailuresKeepTheirErrnoText) {
    const auto failure = DescribeIcmpOpenFailure(EMFILE, ENOBUFS, 0);
    EXPECT_EQ(failure.error, IcmpSocketError::Unavailable);
    EXPECT_NE(failure.text.find(std::strerror(EMFILE)), std::string::npos) << failure.text;
    EXPECT_NE(failure.text.find(std::strerror(ENOBUFS)), std::string::npos) << failure.text;
    EXPECT_EQ(failure.text.find("CAP_NET_RAW"), std::string::npos) << failure.text;
}

// Opens the socket as an unprivileged user in a child process and checks the outcome against this
// machine's ping_group_range.
TEST(IcmpEchoSocket, UnprivilegedOpenEitherGetsAPingSocketOrSaysWhy) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to drop to an unprivileged user";
    }
    constexpr unsigned kNobody = 65534;
    long low = 1;
    long high = 0;
    std::ifstream("/proc/sys/net/ipv4/ping_group_range") >> low >> high;
    const bool pingAllowed = low <= static_cast<long>(kNobody) && static_cast<long>(kNobody) <= high;

    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeFds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
            ::_exit(2);
        }
        const auto opened = IcmpEchoSocket::Open();
        std::string report = opened.socket ? (opened.socket->IsRaw() ? "raw" : "ping") : opened.failure.text;
        report.insert(0, 1, static_cast<char>('0' + static_cast<int>(opened.failure.error)));
        const bool written =
            ::write(pipeFds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        ::_exit(written ? 0 : 3);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ASSERT_FALSE(report.empty());

    const auto error = static_cast<IcmpSocketError>(report[0] - '0');
    const std::string text = report.substr(1);
    if (pingAllowed) {
        EXPECT_EQ(error, IcmpSocketError::None);
        EXPECT_EQ(text, "ping");
    } else {
        EXPECT_EQ(error, IcmpSocketError::PingGroupRange) << text;
        EXPECT_NE(text.find("net.ipv4.ping_group_range"), std::string::npos) << text;
        EXPECT_NE(text.find("group 65534"), std::string::npos) << text;
        EXPECT_NE(text.find("CAP_NET_RAW"), std::string::npos) << text;
    }
}

TEST(IcmpEchoSocket, LoopbackAnswersWithTheRequestsSequence) {
    if (const auto why = IcmpUnavailable()) {
        GTEST_SKIP() << *why;
    }
    auto opened = IcmpEchoSocket::Open();
    IcmpEchoSocket& socket = *opened.socket;
    ASSERT_TRUE(socket.Send({127, 0, 0, 3}, 77));
    const auto reply = AwaitReply(socket);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->source, (Ipv4Address{127, 0, 0, 3}));
    EXPECT_EQ(reply->sequence, 77);
    // A raw socket also sees the request itself; that must not come out as a second reply.
    socket.WaitReadable(50ms);
    EXPECT_FALSE(socket.ReceivePending().has_value());
}

TEST(IcmpEchoSocket, DoesNotTakeAnotherSocketsReplies) {
    if (const auto why = IcmpUnavailable()) {
        GTEST_SKIP() << *why;
    }
    auto first = IcmpEchoSocket::Open();
    auto second = IcmpEchoSocket::Open();
    ASSERT_TRUE(first.socket.has_value());
    ASSERT_TRUE(second.socket.has_value());
    ASSERT_TRUE(first.socket->Send({127, 0, 0, 1}, 9));
    ASSERT_TRUE(AwaitReply(*first.socket).has_value());
    second.socket->WaitReadable(50ms);
    EXPECT_FALSE(second.socket->ReceivePending().has_value());
}

} // namespace
} // namespace orlo
