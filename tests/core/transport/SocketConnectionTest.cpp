#include "core/transport/SocketConnection.h"

#include "core/transport/ClientSocket.h"
#include "tests/core/transport/TransportTestSupport.h"
#include "tests/support/HostilePeer.h"
#include "tests/support/PtyPair.h"

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Pattern;

// The sensor's end: a listening loopback socket and, once accepted, the connection to the client.
class TcpPeer {
public:
    TcpPeer() {
        listener_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_.Get(), reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::listen(listener_.Get(), 4) == 0 &&
            ::getsockname(listener_.Get(), reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }

    std::uint16_t Port() const { return port_; }
    void StopListening() { listener_.Reset(); }

    bool Accept() {
        pollfd pfd{listener_.Get(), POLLIN, 0};
        if (::poll(&pfd, 1, 2000) != 1) {
            return false;
        }
        peer_.Reset(::accept(listener_.Get(), nullptr, nullptr));
        return peer_.Valid();
    }

    void ClosePeer() { peer_.Reset(); }

    bool Write(const std::vector<std::uint8_t>& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(peer_.Get(), bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    std::vector<std::uint8_t> Read(std::size_t count) const {
        std::vector<std::uint8_t> bytes(count);
        std::size_t done = 0;
        while (done < count) {
            pollfd pfd{peer_.Get(), POLLIN, 0};
            if (::poll(&pfd, 1, 2000) != 1) {
                break;
            }
            const ssize_t n = ::recv(peer_.Get(), bytes.data() + done, count - done, 0);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        bytes.resize(done);
        return bytes;
    }

private:
    UniqueFd listener_;
    UniqueFd peer_;
    std::uint16_t port_ = 0;
};

std::vector<std::uint8_t> Take(CConnection& connection, std::uint32_t count) {
    std::vector<std::uint8_t> bytes(count);
    bytes.resize(connection.Receive(count, bytes.data()));
    return bytes;
}

std::uint32_t SendText(CConnection& connection, const std::string& text) {
    const auto bytes = Bytes(text);
    return connection.Send(static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

class SocketConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(peer_.Port(), 0) << "no loopback listener"; }

    void OpenAndAccept(const std::string& host = "127.0.0.1") {
        ASSERT_TRUE(connection_.Open(host, peer_.Port()));
        ASSERT_TRUE(peer_.Accept());
    }

    TcpPeer peer_;
    CSocketConnection connection_;
};

TEST_F(SocketConnectionTest, RoundTripTakesOnlyWhatArrived) {
    OpenAndAccept();
    EXPECT_TRUE(connection_.IsConnected());
    ASSERT_EQ(SendText(connection_, "PING"), 4u);
    EXPECT_EQ(peer_.Read(4), Bytes("PING"));

    ASSERT_TRUE(peer_.Write(Bytes("PONG!")));
    ASSERT_EQ(connection_.WaitForBytes(2000, 5), 0);
    EXPECT_EQ(connection_.WaitForBytes(20, 6), 1);
    EXPECT_EQ(Take(connection_, 100), Bytes("PONG!"));
    EXPECT_FALSE(connection_.HasBytes(1));

    connection_.Close();
    EXPECT_FALSE(connection_.IsConnected());
    EXPECT_EQ(SendText(connection_, "PING"), 0u);
}

TEST_F(SocketConnectionTest, HostNameResolves) {
    OpenAndAccept("localhost");
}

TEST_F(SocketConnectionTest, OpenToAClosedPortFails) {
    peer_.StopListening();
    EXPECT_FALSE(connection_.Open("127.0.0.1", peer_.Port()));
    EXPECT_FALSE(connection_.IsConnected());
    EXPECT_EQ(SendText(connection_, "PING"), 0u);
}

TEST_F(SocketConnectionTest, LongResponseGrowsTheStoreAndKeepsEveryByte) {
    OpenAndAccept();
    const auto response = Pattern(CSocketConnection::kInitialStoreSize + 500'007, 3);
    ASSERT_EQ(SendText(connection_, "BIG"), 3u);
    ASSERT_EQ(peer_.Read(3), Bytes("BIG"));
    ASSERT_TRUE(peer_.Write(response));
    ASSERT_EQ(connection_.WaitForBytes(5000, static_cast<std::uint32_t>(response.size())), 0);
    EXPECT_EQ(Take(connection_, static_cast<std::uint32_t>(response.size()) + 10), response);
}

TEST_F(SocketConnectionTest, SendDropsStaleBytes) {
    OpenAndAccept();
    ASSERT_EQ(SendText(connection_, "one"), 3u);
    ASSERT_EQ(peer_.Read(3), Bytes("one"));
    ASSERT_TRUE(peer_.Write(Bytes("late reply")));
    ASSERT_EQ(connection_.WaitForBytes(2000, 10), 0);

    ASSERT_EQ(SendText(connection_, "two"), 3u);
    EXPECT_FALSE(connection_.HasBytes(1));
    ASSERT_EQ(peer_.Read(3), Bytes("two"));
    ASSERT_TRUE(peer_.Write(Bytes("fresh")));
    ASSERT_EQ(connection_.WaitForBytes(2000, 5), 0);
    EXPECT_EQ(Take(connection_, 100), Bytes("fresh"));
}

TEST_F(SocketConnectionTest, PeerClosingEndsTheWaitAndTheLink) {
    OpenAndAccept();
    ASSERT_EQ(SendText(connection_, "ask"), 3u);
    ASSERT_EQ(peer_.Read(3), Bytes("ask"));
    ASSERT_TRUE(peer_.Write(Bytes("ha")));
    peer_.ClosePeer();
    // Without a time-out only the end of the link can end this wait.
    EXPECT_EQ(connection_.WaitForBytes(-1, 5), 1);
    EXPECT_EQ(Take(connection_, 5), Bytes("ha"));
    EXPECT_EQ(SendText(connection_, "again"), 0u);

    OpenAndAccept(); // a new connection starts afresh
    EXPECT_EQ(SendText(connection_, "hi"), 2u);
}

TEST_F(SocketConnectionTest, ReopenReplacesTheConnection) {
    OpenAndAccept();
    OpenAndAccept();
    ASSERT_EQ(SendText(connection_, "hi"), 2u);
    EXPECT_EQ(peer_.Read(2), Bytes("hi"));
}

TEST(SocketConnectionLimitTest, BytesBeyondTheStoreLimitWaitForTheNextSend) {
    TcpPeer peer;
    CSocketConnection connection(64);
    ASSERT_TRUE(connection.Open("127.0.0.1", peer.Port()));
    ASSERT_TRUE(peer.Accept());
    const auto flood = Pattern(10'000);
    ASSERT_EQ(SendText(connection, "x"), 1u);
    ASSERT_EQ(peer.Read(1), Bytes("x"));
    ASSERT_TRUE(peer.Write(flood));
    ASSERT_EQ(connection.WaitForBytes(2000, 64), 0);
    EXPECT_EQ(connection.WaitForBytes(100, 65), 1);
    EXPECT_EQ(Take(connection, 10'000), std::vector<std::uint8_t>(flood.begin(), flood.begin() + 64));

    ASSERT_EQ(SendText(connection, "y"), 1u);
    ASSERT_EQ(peer.Read(1), Bytes("y"));
    ASSERT_TRUE(peer.Write(Bytes("ok")));
    ASSERT_EQ(connection.WaitForBytes(2000, 2), 0);
    EXPECT_EQ(Take(connection, 10), Bytes("ok"));
}

TEST(SocketConnectionLimitTest, AFloodGrowsTheStoreNoFurtherThanTheLimit) {
    constexpr std::size_t limit = 5'000'000;
    test::HostilePeer peer{test::HostilePeer::Plan(test::HostilePeer::Misbehaviour::Flood)};
    CSocketConnection connection(limit);
    ASSERT_TRUE(connection.Open("127.0.0.1", peer.Port()));
    const std::vector<std::uint8_t> request{0xFE, 0x06, 0x00, 0x00};
    ASSERT_EQ(connection.Send(4, request.data()), 4u);
    ASSERT_EQ(connection.WaitForBytes(5000, limit), 0);
    EXPECT_EQ(connection.WaitForBytes(100, limit + 1), 1);
    // Room for the limit and at most one more chunk, never a doubled store.
    EXPECT_LT(connection.StoreCapacity(), limit + CSocketConnection::kInitialStoreSize);
    std::vector<std::uint8_t> taken(limit);
    EXPECT_EQ(connection.Receive(limit, taken.data()), limit);
    EXPECT_EQ(0x5A, taken.back());
}

// Records what the receive thread delivers.
struct Deliveries {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::uint8_t> bytes;
    int failures = 0;

    CSocketBase::DataCallback Callback() {
        return [this](const std::uint8_t* data, int length) {
            {
                std::lock_guard lock(mutex);
                if (data == nullptr && length == -1) {
                    ++failures;
                } else if (data != nullptr && length > 0) {
                    bytes.insert(bytes.end(), data, data + length);
                }
            }
            changed.notify_all();
        };
    }

    template <typename Predicate>
    bool WaitFor(Predicate predicate) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 2s, predicate);
    }
};

TEST(ClientSocketTest, PeerClosingIsReportedOnceAndDoesNotSpin) {
    TcpPeer peer;
    CClientSocket socket;
    Deliveries deliveries;
    socket.SetCallback(deliveries.Callback());
    ASSERT_EQ(socket.Create(peer.Port(), "127.0.0.1"), 0);
    ASSERT_EQ(socket.Connect(), 0);
    EXPECT_TRUE(socket.IsConnected());
    ASSERT_TRUE(peer.Accept());

    ASSERT_TRUE(peer.Write(Bytes("bye")));
    peer.ClosePeer();
    ASSERT_TRUE(deliveries.WaitFor([&] { return deliveries.failures > 0; }));
    EXPECT_LT(test::CpuUsedWhileIdle(500ms), 250ms);
    {
        std::lock_guard lock(deliveries.mutex);
        EXPECT_EQ(deliveries.bytes, Bytes("bye"));
        EXPECT_EQ(deliveries.failures, 1);
    }
    EXPECT_EQ(socket.Disconnect(), 0);
    EXPECT_FALSE(socket.IsConnected());
}

TEST(ClientSocketTest, CreateRejectsAHostWithoutAddressAndConnectNeedsASocket) {
    CClientSocket socket;
    EXPECT_EQ(socket.Connect(), -1);
    EXPECT_EQ(socket.Create(9600, ""), -1);
    EXPECT_EQ(socket.Connect(), -1);
    EXPECT_FALSE(socket.IsConnected());
}

TEST(ClientSocketTest, WaitReadableReportsDataAndTimeOut) {
    TcpPeer peer;
    CClientSocket socket;
    EXPECT_EQ(socket.WaitReadable(1000), -1);
    ASSERT_EQ(socket.Create(peer.Port(), "127.0.0.1"), 0);
    ASSERT_EQ(socket.Connect(), 0);
    ASSERT_TRUE(peer.Accept());
    EXPECT_EQ(socket.WaitReadable(10'000), 1);
}

} // namespace
} // namespace orlo
