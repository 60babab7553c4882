#include "core/platform/UniqueFd.h"
#include "core/transport/SerialConnection.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <unistd.h>

namespace orlo {

namespace fs = std::filesystem;

namespace {

bool IsPortName(std::string_view name) {
    static constexpr std::array<std::string_view, 3> kPrefixes{"ttyACM", "ttyUSB", "ttyS"};
    return std::any_of(kPrefixes.begin(), kPrefixes.end(), [&](std::string_view prefix) {
        if (name.size() <= prefix.size() || !name.starts_with(prefix)) {
            return false;
        }
        const auto digits = name.substr(prefix.size());
        return std::all_of(digits.begin(), digits.end(),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    });
}

// Opening also fails for a port another program holds exclusively, which is what the list should skip.
OpenFailure TryOpen(const fs::path& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        return ClassifyOpenError(errno);
    }
    return ::isatty(fd.Get()) != 0 ? OpenFailure::None : OpenFailure::Other;
}

// The product text sits on the USB device, one or two levels above the tty's device node.
std::string UsbProduct(const fs::path& sysClassTty, const std::string& kernelName) {
    std::error_code error;
    fs::path dir = fs::canonical(sysClassTty / kernelName / "device", error);
    if (error) {
        return {};
    }
    for (int level = 0; level < 4 && dir.has_relative_path(); ++level, dir = dir.parent_path()) {
        std::ifstream file(dir / "product");
        std::string product;
        if (file && std::getline(file, product) && !product.empty()) {
            return product;
        }
    }
    return {};
}

void AddPort(SerialPortScan& scan, const fs::path& path, const std::string& kernelName,
             const SerialPortLocations& where) {
    switch (TryOpen(path)) {
    case OpenFailure::None:
        scan.usable.push_back({path.string(), UsbProduct(where.sysClassTtyDir, kernelName)});
        break;
    case OpenFailure::PermissionDenied:
        scan.denied.push_back(path.string());
        break;
    case OpenFailure::Other:
        break;
    }
}

// Directory errors (a missing folder, one removed while listed) just end the listing of that folder.
template <typename Visit>
void ForEachEntry(const fs::path& dir, Visit visit) {
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        visit(it->path());
    }
}

} // namespace

std::vector<SerialPortInfo> CSerialConnection::EnumeratePorts(const SerialPortLocations& where) {
    return ScanPorts(where).usable;
}

SerialPortScan CSerialConnection::ScanPorts(const SerialPortLocations& where) {
    SerialPortScan scan;
    ForEachEntry(where.deviceDir, [&](const fs::path& path) {
        const std::string name = path.filename().string();
        if (IsPortName(name)) {
            AddPort(scan, path, name, where);
        }
    });
    // The stable by-id names are links to the kernel's names, which sysfs knows the device by.
    ForEachEntry(where.byIdDir, [&](const fs::path& path) {
        std::error_code error;
        const fs::path target = fs::read_symlink(path, error);
        AddPort(scan, path, (error ? path : target).filename().string(), where);
    });
    auto& ports = scan.usable;
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.path < b.path; });
    ports.erase(
        std::unique(ports.begin(), ports.end(),
                    [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.path == b.path; }),
        ports.end());
    std::sort(scan.denied.begin(), scan.denied.end());
    scan.denied.erase(std::unique(scan.denied.begin(), scan.denied.end()), scan.denied.end());
    return scan;
}

} // namespace orlo
