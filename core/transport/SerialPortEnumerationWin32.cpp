#include "core/transport/SerialConnection.h"
#include "core/transport/Win32Handles.h"

#include <devguid.h>
#include <map>
#include <setupapi.h>
#include <string>

namespace orlo {

namespace {

constexpr int kLastPortNumber = 255;

std::string Utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return {};
    }
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size, nullptr,
                          nullptr);
    return text;
}

// Opening also fails for a port another program holds, which is what the list should skip.
bool CanOpenNow(int number) {
    const std::wstring path = L"\\\\.\\COM" + std::to_wstring(number);
    const UniqueHandle port(
        ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return port.Valid();
}

std::wstring RegistryText(HKEY key, const wchar_t* name) {
    std::wstring value(256, L'\0');
    DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    DWORD type = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    value.resize(bytes / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0') {
        value.pop_back();
    }
    return value;
}

// The friendly names Device Manager shows for the ports of the "Ports (COM & LPT)" class, by port name.
std::map<std::wstring, std::wstring> FriendlyNames() {
    std::map<std::wstring, std::wstring> names;
    HDEVINFO devices = ::SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (devices == INVALID_HANDLE_VALUE) {
        return names;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; ::SetupDiEnumDeviceInfo(devices, index, &device); ++index) {
        HKEY key = ::SetupDiOpenDevRegKey(devices, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) {
            continue;
        }
        const std::wstring portName = RegistryText(key, L"PortName");
        ::RegCloseKey(key);
        std::wstring friendly(256, L'\0');
        DWORD type = 0;
        if (!portName.empty() &&
            ::SetupDiGetDeviceRegistryPropertyW(
                devices, &device, SPDRP_FRIENDLYNAME, &type, reinterpret_cast<BYTE*>(friendly.data()),
                static_cast<DWORD>(friendly.size() * sizeof(wchar_t)), nullptr)) {
            friendly.resize(friendly.find(L'\0'));
            names[portName] = friendly;
        }
    }
    ::SetupDiDestroyDeviceInfoList(devices);
    return names;
}

} // namespace

// Every COM0 to COM255 that opens now, in ascending port order, with its friendly name where the
// system has one. The folders of SerialPortLocations are a POSIX notion and not used here.
std::vector<SerialPortInfo> CSerialConnection::EnumeratePorts(const SerialPortLocations& /*where*/) {
    const auto friendly = FriendlyNames();
    std::vector<SerialPortInfo> ports;
    for (int number = 0; number <= kLastPortNumber; ++number) {
        if (!CanOpenNow(number)) {
            continue;
        }
        const std::wstring name = L"COM" + std::to_wstring(number);
        const auto found = friendly.find(name);
        ports.push_back({Utf8(name), found == friendly.end() ? std::string{} : Utf8(found->second)});
    }
    return ports;
}

// A port Windows refuses is held by another program, which EnumeratePorts already leaves out.
SerialPortScan CSerialConnection::ScanPorts(const SerialPortLocations& where) {
    return {EnumeratePorts(where), {}};
}

} // namespace orlo
