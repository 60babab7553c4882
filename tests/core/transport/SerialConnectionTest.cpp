#include "core/transport/SerialConnection.h"

#include "tests/core/transport/TransportTestSupport.h"
#include "tests/support/PtyPair.h"
#include "tests/support/Unprivileged.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Pattern;
using test::PtyPair;

std::vector<std::uint8_t> Take(CConnection& connection, std::uint32_t count) {
    std::vector<std::uint8_t> bytes(count);
    bytes.resize(connection.Receive(count, bytes.data()));
    return bytes;
}

std::uint32_t SendText(CConnection& connection, const std::string& text) {
    const auto bytes = Bytes(text);
    return connection.Send(static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

class SerialConnectionTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty_.Valid()) << "no pseudo-terminal available"; }

    PtyPair pty_;
};

TEST_F(SerialConnectionTest, OpenSetsRawLineAtTheRequestedSpeed) {
    CSerialConnection connection;
    for (const auto& [baud, constant] :
         {std::pair{9600u, B9600}, std::pair{460800u, B460800}, std::pair{115200u, B115200}}) {
        ASSERT_TRUE(connection.Open(pty_.SlavePath(), baud)) << baud;
        EXPECT_TRUE(connection.IsConnected());
        // The master reports the slave's settings, which is what a simulator on the other end sees.
        termios seen{};
        ASSERT_EQ(tcgetattr(pty_.Master(), &seen), 0);
        EXPECT_EQ(cfgetospeed(&seen), constant) << baud;
        EXPECT_EQ(cfgetispeed(&seen), constant) << baud;
        EXPECT_EQ(seen.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(seen.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_NE(seen.c_cflag & CLOCAL, 0u);
        EXPECT_EQ(seen.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(seen.c_iflag & (IXON | IXOFF | ICRNL), 0u);
        EXPECT_EQ(seen.c_oflag & OPOST, 0u);
    }
    connection.Close();
    EXPECT_FALSE(connection.IsConnected());
}

TEST_F(SerialConnectionTest, OpenFailsWithoutAUsablePort) {
    CSerialConnection connection;
    const std::string regularFile = testing::TempDir() + "orlo_not_a_port";
    std::ofstream(regularFile) << "x";
    for (const auto& [path, baud] : {std::pair<std::string, std::uint32_t>{"/dev/orlo-no-such-port", 115200},
                                     {"", 115200},
                                     {regularFile, 115200},
                                     {pty_.SlavePath(), 12345}}) {
        ASSERT_TRUE(connection.Open(pty_.SlavePath(), 115200));
        EXPECT_FALSE(connection.Open(path, baud)) << path << " @ " << baud;
        EXPECT_FALSE(connection.IsConnected());
        EXPECT_EQ(SendText(connection, "REQ"), 0u);
    }
    std::filesystem::remove(regularFile);
}

TEST_F(SerialConnectionTest, SendDropsStaleBytesAndDeliversTheNextResponse) {
    CSerialConnection connection;
    ASSERT_TRUE(connection.Open(pty_.SlavePath(), 115200));

    ASSERT_TRUE(pty_.Write(Bytes("stale!")));
    ASSERT_EQ(connection.WaitForBytes(2000, 6), 0);

    ASSERT_EQ(SendText(connection, "REQ"), 3u);
    EXPECT_FALSE(connection.HasBytes(1));
    EXPECT_EQ(pty_.Read(3, 2s), Bytes("REQ"));

    ASSERT_TRUE(pty_.Write(Bytes("fresh")));
    ASSERT_EQ(connection.WaitForBytes(2000, 5), 0);
    EXPECT_EQ(Take(connection, 64), Bytes("fresh"));
    EXPECT_FALSE(connection.HasBytes(1));
}

TEST_F(SerialConnectionTest, ResponseInManySmallPiecesIsCompleteWhenTheWaitEnds) {
    CSerialConnection connection;
    ASSERT_TRUE(connection.Open(pty_.SlavePath(), 230400));
    const auto response = Pattern(1000);

    ASSERT_EQ(SendText(connection, "GO"), 2u);
    std::thread sensor([&] {
        if (pty_.Read(2, 2s).size() != 2) {
            return;
        }
        for (std::size_t at = 0; at < response.size(); at += 8) {
            const auto end = std::min(response.size(), at + 8);
            pty_.Write({response.begin() + static_cast<std::ptrdiff_t>(at),
                        response.begin() + static_cast<std::ptrdiff_t>(end)});
            std::this_thread::sleep_for(1ms);
        }
    });
    const int waited = connection.WaitForBytes(5000, static_cast<std::uint32_t>(response.size()));
    sensor.join();
    ASSERT_EQ(waited, 0);
    EXPECT_EQ(Take(connection, 4096), response);
}

TEST_F(SerialConnectionTest, WaitForBytesReportsTimeOutAndWaitsWithoutLimitOnMinusOne) {
    CSerialConnection connection;
    ASSERT_TRUE(connection.Open(pty_.SlavePath(), 115200));
    EXPECT_EQ(connection.WaitForBytes(0, 1), 1);
    ASSERT_TRUE(pty_.Write(Bytes("abc")));
    ASSERT_EQ(connection.WaitForBytes(2000, 3), 0);
    EXPECT_EQ(connection.WaitForBytes(30, 4), 1);

    std::thread sensor([&] {
        std::this_thread::sleep_for(50ms);
        pty_.Write(Bytes("d"));
    });
    EXPECT_EQ(connection.WaitForBytes(-1, 4), 0);
    sensor.join();
    EXPECT_EQ(Take(connection, 4), Bytes("abcd"));
}

TEST_F(SerialConnectionTest, FullStoreDropsFurtherBytesUntilTheNextSend) {
    CSerialConnection connection(16);
    ASSERT_TRUE(connection.Open(pty_.SlavePath(), 115200));
    const auto flood = Pattern(5000);

    ASSERT_TRUE(pty_.Write(flood));
    ASSERT_EQ(connection.WaitForBytes(2000, 16), 0);
    // Let the reader drain the driver queue, so the bytes beyond the store really were offered to it.
    for (int i = 0; i < 200; ++i) {
        int queued = 0;
        ASSERT_EQ(ioctl(pty_.Slave(), FIONREAD, &queued), 0);
        if (queued == 0) {
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(connection.HasBytes(17));
    EXPECT_EQ(Take(connection, 5000), std::vector<std::uint8_t>(flood.begin(), flood.begin() + 16));

    ASSERT_EQ(SendText(connection, "again"), 5u);
    EXPECT_EQ(pty_.Read(5, 2s), Bytes("again"));
    ASSERT_TRUE(pty_.Write(Bytes("ok")));
    ASSERT_EQ(connection.WaitForBytes(2000, 2), 0);
    EXPECT_EQ(Take(connection, 100), Bytes("ok"));
}

TEST_F(SerialConnectionTest, PeerHangUpNeitherSpinsNorHangsAndSendsFail) {
    CSerialConnection connection;
    ASSERT_TRUE(connection.Open(pty_.SlavePath(), 115200));
    ASSERT_TRUE(pty_.Write(Bytes("last")));
    ASSERT_EQ(connection.WaitForBytes(2000, 4), 0);

    pty_.CloseMaster();
    EXPECT_LT(test::CpuUsedWhileIdle(500ms), 250ms);
    EXPECT_EQ(Take(connection, 10), Bytes("last"));
    EXPECT_EQ(SendText(connection, "REQ"), 0u);
    EXPECT_EQ(connection.WaitForBytes(20, 1), 1);
    connection.Close();
    EXPECT_FALSE(connection.IsConnected());
}

TEST(OpenFailureTest, RefusedAccessIsTellableFromOtherFailures) {
    EXPECT_EQ(ClassifyOpenError(EACCES), OpenFailure::PermissionDenied);
    EXPECT_EQ(ClassifyOpenError(EPERM), OpenFailure::PermissionDenied);
    for (const int other : {ENOENT, EBUSY, ENODEV, ENXIO, EIO}) {
        EXPECT_EQ(ClassifyOpenError(other), OpenFailure::Other) << other;
    }
    EXPECT_EQ(ClassifyOpenError(0), OpenFailure::None);
}

TEST_F(SerialConnectionTest, PortTheUserMayNotOpenIsReportedAsSuch) {
    ASSERT_EQ(::fchmod(pty_.Slave(), 0), 0);
    const std::string port = pty_.SlavePath();
    const int status = test::RunUnprivileged([&port] {
        CSerialConnection connection;
        if (connection.Open(port, 115200)) {
            return 1;
        }
        if (connection.LastOpenFailure() != OpenFailure::PermissionDenied) {
            return 2;
        }
        // A port that is not there is not a matter of rights.
        if (connection.Open(port + "-missing", 115200) ||
            connection.LastOpenFailure() != OpenFailure::Other) {
            return 3;
        }
        return 0;
    });
    EXPECT_EQ(status, 0);

    ASSERT_EQ(::fchmod(pty_.Slave(), S_IRUSR | S_IWUSR), 0);
    CSerialConnection connection;
    EXPECT_FALSE(connection.Open(pty_.SlavePath(), 12345));
    EXPECT_EQ(connection.LastOpenFailure(), OpenFailure::Other);
    ASSERT_TRUE(connection.Open(pty_.SlavePath(), 115200));
    EXPECT_EQ(connection.LastOpenFailure(), OpenFailure::None);
}

} // namespace
} // namespace orlo
