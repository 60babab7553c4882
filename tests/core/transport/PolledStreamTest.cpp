#include "core/transport/PolledStream.h"

#include "tests/support/LoopbackListener.h"
#include "tests/support/StalledListener.h"

#include <arpa/inet.h>
#include <array>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;

constexpr Ipv4Address kLoopback{127, 0, 0, 1};

using Listener = test::LoopbackListener;

// Waits for the one stream and says whether it became ready.
bool Ready(const PolledStream& stream, bool forWrite, std::chrono::milliseconds limit = 5s) {
    std::array<StreamWait, 1> waits{{{&stream, forWrite, false}}};
    return WaitForStreams(waits, limit) == WaitOutcome::Ready && waits[0].ready;
}

// Connected to the listener, both ends.
std::pair<PolledStream, UniqueFd> Connected(const Listener& listener) {
    PolledStream stream;
    PolledStream::Connect connect = stream.StartConnect(kLoopback, listener.Port());
    if (connect == PolledStream::Connect::Pending && Ready(stream, true)) {
        connect = stream.FinishConnect();
    }
    EXPECT_EQ(PolledStream::Connect::Connected, connect);
    return {std::move(stream), listener.Accept()};
}

TEST(PolledStream, ARefusedConnectIsToldApart) {
    // Taken once, then given up: nothing listens there any more.
    const std::uint16_t port = Listener().Port();
    PolledStream stream;
    PolledStream::Connect connect = stream.StartConnect(kLoopback, port);
    if (connect == PolledStream::Connect::Pending) {
        ASSERT_TRUE(Ready(stream, true));
        connect = stream.FinishConnect();
    }
    EXPECT_EQ(PolledStream::Connect::Refused, connect);
}

TEST(PolledStream, BytesGoBothWaysWithoutEverBlocking) {
    const Listener listener;
    auto [stream, peer] = Connected(listener);
    std::array<std::uint8_t, 16> buffer{};
    std::size_t count = 0;
    // Nothing has come yet: the call returns at once.
    EXPECT_EQ(PolledStream::Io::WouldBlock, stream.Receive(buffer, count));

    const std::array<std::uint8_t, 4> request{0xFE, 0x00, 0x00, 0x00};
    ASSERT_EQ(PolledStream::Io::Done, stream.Send(request, count));
    EXPECT_EQ(4u, count);
    std::array<std::uint8_t, 4> received{};
    ASSERT_EQ(4, ::recv(peer.Get(), received.data(), received.size(), MSG_WAITALL));
    EXPECT_EQ(request, received);

    ASSERT_EQ(3, ::send(peer.Get(), "abc", 3, 0));
    ASSERT_TRUE(Ready(stream, false));
    ASSERT_EQ(PolledStream::Io::Done, stream.Receive(buffer, count));
    EXPECT_EQ(3u, count);
    EXPECT_EQ('c', buffer[2]);

    peer.Reset();
    ASSERT_TRUE(Ready(stream, false));
    EXPECT_EQ(PolledStream::Io::Closed, stream.Receive(buffer, count));
}

TEST(PolledStream, AResetIsNotAnOrderlyClose) {
    const Listener listener;
    auto [stream, peer] = Connected(listener);
    // A zero linger time turns the close into a reset.
    const linger reset{1, 0};
    ::setsockopt(peer.Get(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    peer.Reset();
    ASSERT_TRUE(Ready(stream, false));
    std::array<std::uint8_t, 16> buffer{};
    std::size_t count = 0;
    EXPECT_EQ(PolledStream::Io::Reset, stream.Receive(buffer, count));
}

TEST(PolledStream, TheWaitEndsByTimeOrByAnAbort) {
    test::StalledListener stalled;
    if (!stalled.Valid()) {
        GTEST_SKIP() << "no connect could be made to stall here";
    }
    PolledStream stream;
    ASSERT_EQ(PolledStream::Connect::Pending, stream.StartConnect(kLoopback, stalled.Port()));
    std::array<StreamWait, 1> waits{{{&stream, true, false}}};
    EXPECT_EQ(WaitOutcome::TimedOut, WaitForStreams(waits, 50ms));
    EXPECT_FALSE(waits[0].ready);
    EXPECT_EQ(PolledStream::Connect::Pending, stream.FinishConnect());

    AbortSignal abort;
    std::thread aborter([&] {
        std::this_thread::sleep_for(50ms);
        abort.Raise();
    });
    // Only the abort can end a wait of a minute here.
    EXPECT_EQ(WaitOutcome::Aborted, WaitForStreams(waits, 60s, &abort));
    aborter.join();
    EXPECT_EQ(WaitOutcome::Aborted, WaitForStreams(waits, 60s, &abort));
}

} // namespace
} // namespace orlo
