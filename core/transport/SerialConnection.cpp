#include "core/transport/SerialConnection.h"

namespace orlo {

CSerialConnection::CSerialConnection(std::size_t storeSize)
    : serial_([this] { NotifyBytesArrived(); }, storeSize) {}

CSerialConnection::~CSerialConnection() {
    serial_.Close();
}

bool CSerialConnection::Open(const std::string& portPath, std::uint32_t baudRate) {
    Close();
    const bool opened = !Aborted() && serial_.Open(portPath, baudRate);
    SetConnected(opened);
    return opened;
}

void CSerialConnection::Close() {
    serial_.Close();
    CConnection::Close();
}

std::uint32_t CSerialConnection::Send(std::uint32_t length, const std::uint8_t* bytes) {
    return serial_.Send(bytes, length);
}

std::uint32_t CSerialConnection::Receive(std::uint32_t count, std::uint8_t* destination) {
    return serial_.Receive(destination, count);
}

bool CSerialConnection::HasBytes(std::uint32_t count) const {
    return serial_.Unread() >= count;
}

} // namespace orlo
