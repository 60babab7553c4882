#include "core/device/ConnectProcedures.h"

#include "core/device/SystemCommands.h"
#include "tests/support/FakeConnection.h"
#include "tests/support/ScriptedPeer.h"
#include "tests/support/TempDirectory.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace orlo {
namespace {

using test::ResponseFrame;
using test::ScriptedPeer;
using Bytes = std::vector<std::uint8_t>;

// Answers of a healthy sensor mounted at 90 degrees.
std::optional<Bytes> SensorAnswer(const ScriptedPeer::Request& request) {
    switch (request.code) {
    case 0x00: {
        Bytes info(19, 0);
        const std::string name = "Orlo-X1";
        std::copy(name.begin(), name.end(), info.begin());
        info[12] = 1;
        return ResponseFrame(0x00, info);
    }
    case 0x02:
        return ResponseFrame(0x00, {1});
    case 0x66:
        return ResponseFrame(0x00, {10, 0, 20, 0, 30, 0, 40, 0});
    case 0x79:
        return ResponseFrame(0x00, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    default:
        return ResponseFrame(0x00);
    }
}

std::vector<std::pair<std::uint8_t, std::uint32_t>> CodesAndSpeeds(const ScriptedPeer& peer) {
    std::vector<std::pair<std::uint8_t, std::uint32_t>> seen;
    for (const auto& request : peer.Requests()) {
        seen.emplace_back(request.code, request.baudRate);
    }
    return seen;
}

// A sensor that answers only at its own serial speed and follows a speed change.
ScriptedPeer::Script SensorAtSpeed(std::atomic<std::uint32_t>& sensorSpeed) {
    return [&sensorSpeed](const ScriptedPeer::Request& request) -> std::optional<Bytes> {
        if (request.baudRate != sensorSpeed) {
            return std::nullopt;
        }
        auto answer = SensorAnswer(request);
        if (request.code == 0x0E) {
            sensorSpeed = BaudRateTable.at(request.payload.at(0));
        }
        return answer;
    };
}

class ConnectTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    DeviceSession session{directory.Path()};
};

TEST_F(ConnectTest, ComFindsTheSensorAtAnotherSpeedAndSwitchesIt) {
    std::atomic<std::uint32_t> sensorSpeed{38400};
    test::PtyPeer peer(SensorAtSpeed(sensorSpeed));
    ASSERT_FALSE(peer.Path().empty());

    ASSERT_EQ(RC_OK, ConnectCom(session, peer.Path(), 115200, 50));
    const std::vector<std::pair<std::uint8_t, std::uint32_t>> expected = {
        {0x00, 115200}, {0x00, 9600},   {0x00, 38400},  {0x00, 38400},
        {0x0E, 38400},  {0x02, 115200}, {0x66, 115200}, {0x79, 115200}};
    EXPECT_EQ(expected, CodesAndSpeeds(peer));
    EXPECT_EQ(Bytes{2}, peer.Requests()[4].payload);
    EXPECT_EQ(ConnectionType::Com, session.GetConnectionType());
    EXPECT_EQ(peer.Path(), session.ComPort());
    EXPECT_EQ(115200u, session.BaudRate());
    EXPECT_EQ(50, session.AngleOfView());
    EXPECT_EQ(1, session.Portrait());
    EXPECT_EQ((Rect{10, 20, 30, 40}), session.DetectionAreaCache()[0]);
    EXPECT_EQ(UNSET_RECT, session.DetectionAreaCache()[1]);

    DeviceInfo info;
    EXPECT_EQ(RC_OK, GetDeviceInfo(session, 1000, info));
    EXPECT_EQ("Orlo-X1", info.name);
}

TEST_F(ConnectTest, CommandLogKeepsTheProbeAndTheSpeedChangeAcrossTheReopen) {
    std::ofstream(directory.Path() / "outputlog").flush();
    DeviceSession logged{directory.Path()};
    std::atomic<std::uint32_t> sensorSpeed{38400};
    test::PtyPeer peer(SensorAtSpeed(sensorSpeed));
    ASSERT_EQ(RC_OK, ConnectCom(logged, peer.Path(), 115200, 90));
    logged.Disconnect(); // writes what is queued

    std::ifstream in(directory.Path() / "CmdLog.log", std::ios::binary);
    std::string text;
    in.ignore(2); // the byte-order mark
    for (char c = 0, high = 0; in.get(c) && in.get(high);) {
        text += c; // the log is ASCII as UTF-16LE
    }
    std::vector<std::string> requests;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("S\t", 0) == 0) {
            requests.push_back(line.substr(line.rfind('\t') + 1));
        }
    }
    // Restarted when the sensor was found at 38400; the reopen at 115200 keeps the log going.
    const std::vector<std::string> expected = {"fe 00 00 00", "fe 0e 01 00 02", "fe 02 00 00", "fe 66 00 00",
                                               "fe 79 00 00"};
    EXPECT_EQ(expected, requests);
}

TEST_F(ConnectTest, ComSilentAtEverySpeedTimesOut) {
    test::PtyPeer peer([](const ScriptedPeer::Request&) -> std::optional<Bytes> { return std::nullopt; });
    EXPECT_EQ(RC_TIMEOUT, ConnectCom(session, peer.Path(), 460800, 90));
    const std::vector<std::pair<std::uint8_t, std::uint32_t>> expected = {
        {0x00, 460800}, {0x00, 9600}, {0x00, 38400}, {0x00, 115200}, {0x00, 230400}};
    EXPECT_EQ(expected, CodesAndSpeeds(peer));
    EXPECT_EQ(ConnectionType::None, session.GetConnectionType());
    EXPECT_EQ(115200u, session.BaudRate()); // nothing remembered
}

TEST_F(ConnectTest, ComProbeRefusedEndsAtOnce) {
    test::PtyPeer peer(
        [](const ScriptedPeer::Request&) -> std::optional<Bytes> { return ResponseFrame(0x05); });
    EXPECT_EQ(-5, ConnectCom(session, peer.Path(), 115200, 90));
    EXPECT_EQ(1u, peer.Requests().size());
    EXPECT_FALSE(session.IsConnected());

    EXPECT_EQ(RC_OPEN_FAILED, ConnectCom(session, (directory.Path() / "no-such-port").string(), 115200, 90));
}

TEST_F(ConnectTest, FailedAreaReadDisconnects) {
    test::PtyPeer peer([](const ScriptedPeer::Request& request) -> std::optional<Bytes> {
        return request.code == 0x79 ? ResponseFrame(0xF3) : SensorAnswer(request);
    });
    EXPECT_EQ(-0xF3, ConnectCom(session, peer.Path(), 115200, 90));
    EXPECT_FALSE(session.IsConnected());
    EXPECT_TRUE(session.ComPort().empty());
}

TEST_F(ConnectTest, LanConnectKeepsTheBaudRateOfTheLastComConnection) {
    test::TcpPeer peer(SensorAnswer);
    session.SetComParameters("/dev/ttyUSB0", 38400);
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 90));
    EXPECT_EQ(ConnectionType::Lan, session.GetConnectionType());
    EXPECT_EQ("127.0.0.1", session.IpAddress());
    EXPECT_EQ(peer.Port(), session.LanPort());
    EXPECT_EQ(38400u, session.BaudRate());
    const std::vector<std::uint8_t> codes = {0x00, 0x02, 0x66, 0x79};
    std::vector<std::uint8_t> seen;
    for (const auto& request : peer.Requests()) {
        seen.push_back(request.code);
    }
    EXPECT_EQ(codes, seen);
}

TEST_F(ConnectTest, LanConnectToNothingFails) {
    std::uint16_t closedPort = 0;
    {
        test::TcpPeer peer(SensorAnswer);
        closedPort = peer.Port();
    }
    EXPECT_EQ(RC_OPEN_FAILED, ConnectLan(session, "127.0.0.1", closedPort, 90));
    EXPECT_FALSE(session.IsConnected());
}

TEST_F(ConnectTest, RestartReconnectsWhenTheSensorComesBack) {
    test::TcpPeer* self = nullptr;
    test::TcpPeer peer([&](const ScriptedPeer::Request& request) -> std::optional<Bytes> {
        if (request.code == 0xFF) {
            self->HangUp();
        }
        return SensorAnswer(request);
    });
    self = &peer;
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 50));
    std::vector<int> progress;
    session.SetReconnectProgressHook([&](int elapsed) { progress.push_back(elapsed); });
    session.SetReconnectLimit(std::chrono::milliseconds(5000));

    EXPECT_EQ(RC_OK, Restart(session, 1000));
    EXPECT_EQ(ConnectionType::Lan, session.GetConnectionType());
    EXPECT_EQ(ConnectionType::Lan, session.RememberedConnectionType());
    EXPECT_EQ(2, peer.Accepted());
    EXPECT_EQ(50, session.AngleOfView());
}

// The probe after a successful reconnect ends the loop with whatever it answers, not only success.
TEST_F(ConnectTest, RestartEndsAtOnceWithTheProbesErrorAfterTheLinkIsBack) {
    test::TcpPeer* self = nullptr;
    bool restarted = false;
    int infoRequestsSinceRestart = 0;
    test::TcpPeer peer([&](const ScriptedPeer::Request& request) -> std::optional<Bytes> {
        if (request.code == 0xFF) {
            restarted = true;
            self->HangUp();
        }
        // After the restart the connect's own probe is answered, the one that follows it is refused.
        if (restarted && request.code == 0x00 && ++infoRequestsSinceRestart == 2) {
            return ResponseFrame(0x05);
        }
        return SensorAnswer(request);
    });
    self = &peer;
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 90));
    session.SetReconnectLimit(std::chrono::milliseconds(5000));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(-5, Restart(session, 1000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000));
    EXPECT_EQ(2, infoRequestsSinceRestart);
}

TEST_F(ConnectTest, RestartGivesUpWhenTheSensorStaysAway) {
    test::TcpPeer* self = nullptr;
    test::TcpPeer peer([&](const ScriptedPeer::Request& request) -> std::optional<Bytes> {
        if (request.code == 0xFF) {
            self->CloseAfterThisClient();
            self->HangUp();
        }
        return SensorAnswer(request);
    });
    self = &peer;
    ASSERT_EQ(RC_OK, ConnectLan(session, "127.0.0.1", peer.Port(), 90));

    std::vector<int> progress;
    session.SetReconnectProgressHook([&](int elapsed) { progress.push_back(elapsed); });
    session.SetReconnectLimit(std::chrono::milliseconds(400));
    EXPECT_EQ(RC_RECONNECT_FAILED, Restart(session, 1000));
    EXPECT_FALSE(session.IsConnected());
    ASSERT_GE(progress.size(), 2u);
    EXPECT_GE(progress.back(), 400);
    EXPECT_LT(progress.front(), progress.back());
}

} // namespace
} // namespace orlo
