// The Win32 serial transport. A sensor (the simulator on a pseudo-terminal that Wine maps to a COM
// port, or real hardware) is named by ORLO_TEST_COM_PORT; without one only the refusals are tested.
#include "core/device/ConnectProcedures.h"
#include "core/device/DeviceSession.h"
#include "core/device/SystemCommands.h"
#include "core/transport/SerialConnection.h"
#include "tests/support/TempDirectory.h"
#include "tests/windows/UnderWine.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace orlo {
namespace {

std::string TestPort() {
    const char* port = std::getenv("ORLO_TEST_COM_PORT");
    return port == nullptr ? std::string{} : std::string(port);
}

#define ORLO_SKIP_WITHOUT_SENSOR_PORT()                                                                      \
    if (TestPort().empty()) {                                                                                \
        GTEST_SKIP()                                                                                         \
            << "no sensor on a COM port: set ORLO_TEST_COM_PORT (scripts/windows-tests.sh maps the "         \
               "simulator's pseudo-terminal to COM5 under Wine)";                                            \
    }

TEST(Win32Serial, PortsThatCannotBeOpenedAreRefused) {
    CSerialConnection connection;
    EXPECT_FALSE(connection.Open("COM250", 115200));
    EXPECT_FALSE(connection.IsConnected());
    EXPECT_FALSE(connection.Open("", 115200));
    EXPECT_EQ(connection.Send(1, reinterpret_cast<const std::uint8_t*>("x")), 0u);
}

TEST(Win32Serial, TheSensorAnswersOnItsComPort) {
    ORLO_SKIP_WITHOUT_SENSOR_PORT();
    test::TempDirectory directory;
    DeviceSession session{directory.Path()};
    ASSERT_EQ(ConnectCom(session, TestPort(), 115200, 90), RC_OK);
    DeviceInfo info;
    ASSERT_EQ(GetDeviceInfo(session, 3000, info), RC_OK);
    EXPECT_NE(info.name.find("Orlo"), std::string::npos);
    session.Disconnect();
}

TEST(Win32Serial, ThePortIsListedWithItsWindowsName) {
    ORLO_SKIP_WITHOUT_SENSOR_PORT();
    const auto ports = CSerialConnection::EnumeratePorts();
    EXPECT_TRUE(std::any_of(ports.begin(), ports.end(),
                            [](const SerialPortInfo& p) { return p.path == TestPort(); }));
    EXPECT_TRUE(std::all_of(ports.begin(), ports.end(),
                            [](const SerialPortInfo& p) { return p.path.starts_with("COM"); }));
}

TEST(Win32Serial, AnOpenPortIsHeldExclusively) {
    ORLO_SKIP_WITHOUT_SENSOR_PORT();
    if (test::UnderWine()) {
        GTEST_SKIP() << "Wine does not refuse a second open of a serial device (Windows does)";
    }
    CSerialConnection first;
    ASSERT_TRUE(first.Open(TestPort(), 115200));
    CSerialConnection second;
    EXPECT_FALSE(second.Open(TestPort(), 115200));
    first.Close();
    EXPECT_TRUE(second.Open(TestPort(), 115200));
}

} // namespace
} // namespace orlo
