#include "core/transport/SerialConnection.h"
#include "tests/support/PtyPair.h"
#include "tests/support/Unprivileged.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlo {
namespace {

namespace fs = std::filesystem;

// A /dev-like tree, a by-id folder and a sysfs-like tree in a temporary folder.
class SerialPortEnumerationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty_.Valid());
        root_ = fs::path(testing::TempDir()) / ("orlo_ports_" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "dev" / "serial" / "by-id");
        fs::create_directories(root_ / "sys" / "class" / "tty" / "ttyUSB0");
        fs::create_directories(root_ / "sys" / "devices" / "usb1" / "1-1" / "1-1:1.0" / "ttyUSB0");
        std::ofstream(root_ / "sys" / "devices" / "usb1" / "1-1" / "product") << "Orlo X1 Sensor\n";
        fs::create_directory_symlink(root_ / "sys" / "devices" / "usb1" / "1-1" / "1-1:1.0" / "ttyUSB0",
                                     root_ / "sys" / "class" / "tty" / "ttyUSB0" / "device");
        where_ = {(root_ / "dev").string(), (root_ / "dev" / "serial" / "by-id").string(),
                  (root_ / "sys" / "class" / "tty").string()};
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path Dev(const std::string& name) const { return root_ / "dev" / name; }

    test::PtyPair pty_;
    fs::path root_;
    SerialPortLocations where_;
};

TEST_F(SerialPortEnumerationTest, ListsOpenablePortsWithTheirUsbProduct) {
    fs::create_symlink(pty_.SlavePath(), Dev("ttyUSB0"));
    fs::create_symlink(pty_.SlavePath(), Dev("ttyACM3"));
    fs::create_symlink(root_ / "dev" / "ttyUSB0", root_ / "dev" / "serial" / "by-id" / "usb-Orlo_X1-if00");
    // Not listed: a port that cannot be opened, a device that is not a terminal, names of other devices.
    fs::create_symlink(root_ / "nothing-here", Dev("ttyS7"));
    fs::create_symlink("/dev/null", Dev("ttyUSB1"));
    fs::create_symlink(pty_.SlavePath(), Dev("ttyS"));
    fs::create_symlink(pty_.SlavePath(), Dev("ttyUSBx"));
    fs::create_symlink(pty_.SlavePath(), Dev("console"));

    std::vector<SerialPortInfo> expected{
        {Dev("ttyACM3").string(), ""},
        {Dev("ttyUSB0").string(), "Orlo X1 Sensor"},
        {(root_ / "dev" / "serial" / "by-id" / "usb-Orlo_X1-if00").string(), "Orlo X1 Sensor"},
    };
    std::sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.path < b.path; });
    EXPECT_EQ(CSerialConnection::EnumeratePorts(where_), expected);
}

TEST_F(SerialPortEnumerationTest, MissingFoldersGiveAnEmptyList) {
    SerialPortLocations nowhere{(root_ / "none").string(), (root_ / "none2").string(),
                                (root_ / "none3").string()};
    EXPECT_TRUE(CSerialConnection::EnumeratePorts(nowhere).empty());
    EXPECT_TRUE(CSerialConnection::EnumeratePorts(where_).empty());
}

TEST_F(SerialPortEnumerationTest, ListedPortOpens) {
    fs::create_symlink(pty_.SlavePath(), Dev("ttyACM0"));
    const auto ports = CSerialConnection::EnumeratePorts(where_);
    ASSERT_EQ(ports.size(), 1u);
    CSerialConnection connection;
    EXPECT_TRUE(connection.Open(ports.front().path, 115200));
}

TEST_F(SerialPortEnumerationTest, PortsTheUserMayNotOpenAreNamedApart) {
    test::PtyPair refused;
    ASSERT_TRUE(refused.Valid());
    ASSERT_EQ(::fchmod(refused.Slave(), 0), 0);
    fs::create_symlink(pty_.SlavePath(), Dev("ttyACM0"));
    fs::create_symlink(refused.SlavePath(), Dev("ttyUSB0"));
    fs::create_symlink(root_ / "dev" / "ttyUSB0", root_ / "dev" / "serial" / "by-id" / "usb-Orlo_X1-if00");
    fs::create_symlink(root_ / "nothing-here", Dev("ttyS7"));
    // The usable one must be usable by the unprivileged child too.
    ASSERT_EQ(::fchmod(pty_.Slave(), 0666), 0);
    const SerialPortLocations where = where_;
    const fs::path root = root_;
    const int status = test::RunUnprivileged([&where, &root] {
        const SerialPortScan scan = CSerialConnection::ScanPorts(where);
        const std::vector<std::string> denied = {
            (root / "dev" / "serial" / "by-id" / "usb-Orlo_X1-if00").string(),
            (root / "dev" / "ttyUSB0").string()};
        if (scan.denied != denied) {
            return 1;
        }
        if (scan.usable.size() != 1 || scan.usable.front().path != (root / "dev" / "ttyACM0").string()) {
            return 2;
        }
        return CSerialConnection::EnumeratePorts(where) == scan.usable ? 0 : 3;
    });
    EXPECT_EQ(status, 0);
}

} // namespace
} // namespace orlo
