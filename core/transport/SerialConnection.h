#pragma once

#include "core/transport/Connection.h"
#include "core/transport/Serial.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orlo {

struct SerialPortInfo {
    std::string path;
    // USB product text where the device reports one, else empty.
    std::string description;

    bool operator==(const SerialPortInfo&) const = default;
};

// Where EnumeratePorts looks; tests point it at directories of their own.
struct SerialPortLocations {
    std::string deviceDir = "/dev";
    std::string byIdDir = "/dev/serial/by-id";
    std::string sysClassTtyDir = "/sys/class/tty";
};

// What a look at the serial ports found: those that open now, and those the user may not open.
struct SerialPortScan {
    std::vector<SerialPortInfo> usable;
    std::vector<std::string> denied;
};

// The link to a sensor on a serial port (USB virtual COM port or a simulator's pseudo-terminal).
class CSerialConnection : public CConnection {
public:
    explicit CSerialConnection(std::size_t storeSize = CSerial::kDefaultStoreSize);
    ~CSerialConnection() override;

    // Closes first; the result becomes the connected flag. Fails at once while aborted.
    bool Open(const std::string& portPath, std::uint32_t baudRate);
    void Close() override;
    std::uint32_t Send(std::uint32_t length, const std::uint8_t* bytes) override;
    std::uint32_t Receive(std::uint32_t count, std::uint8_t* destination) override;
    bool HasBytes(std::uint32_t count) const override;
    bool PeerClosed() const override { return serial_.HungUp(); }
    // Why the last Open failed; None after a successful one.
    OpenFailure LastOpenFailure() const { return serial_.LastOpenFailure(); }

    // The serial ports that can be opened now, sorted by path. A port held by another program is left out.
    static std::vector<SerialPortInfo>
    EnumeratePorts(const SerialPortLocations& where = SerialPortLocations{});
    // EnumeratePorts with the ports the system refuses to this user (sorted by path) beside them.
    static SerialPortScan ScanPorts(const SerialPortLocations& where = SerialPortLocations{});

private:
    CSerial serial_;
};

} // namespace orlo
