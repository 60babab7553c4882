#include "cli/CommandContext.h"
#include "core/platform/IpRangeScanner.h"
#include "core/transport/SerialConnection.h"

namespace orlo::cli {

namespace {

// "A.B.C.D-E"
std::optional<ScanRange> ParseScanRange(const std::string& text) {
    const auto dash = text.find('-');
    if (dash == std::string::npos) {
        return std::nullopt;
    }
    Ipv4Address first{};
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const auto end = i < 3 ? text.find('.', at) : dash;
        if (end == std::string::npos || end > dash) {
            return std::nullopt;
        }
        const auto number = ParseInteger(text.substr(at, end - at), 0, 255);
        if (!number) {
            return std::nullopt;
        }
        first[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(*number);
        at = end + 1;
    }
    // An end above 255 is limited to 255 by the range itself.
    const auto last = ParseInteger(text.substr(dash + 1), 0, 65535);
    if (!last || *last < first[3]) {
        return std::nullopt;
    }
    return ScanRange::FromEnd(first, static_cast<int>(*last));
}

} // namespace

int RunScan(const CommandContext& context) {
    if (context.options.help) {
        context.out
            << "usage: orloctl scan A.B.C.D-E [--json]\nSends an ICMP echo request to A.B.C.D .. A.B.C.E "
               "(E above 255 counts as 255)\nand prints every address that answered, in ascending "
               "order.\nRanges in 0.0.0.0/8, 224.0.0.0/4 and 240.0.0.0/4 are refused (exit status 64).\n";
        return EXIT_OK;
    }
    const auto& args = context.options.arguments;
    const auto range = args.size() == 1 ? ParseScanRange(args[0]) : std::nullopt;
    if (!range) {
        return context.UsageFailure("scan needs one range A.B.C.D-E with E not below D");
    }
    if (!range->IsHostRange()) {
        return context.UsageFailure("scan " + args[0] +
                                    ": not a range of host addresses (0.0.0.0/8, multicast 224.0.0.0/4 and "
                                    "240.0.0.0/4 with 255.255.255.255 are never scanned)");
    }
    const ScanResult result = IpRangeScanner().Scan(
        *range, [](int) {}, context.interruption != nullptr ? &context.interruption->Flag() : nullptr);
    if (result.cancelled) {
        return context.DeviceFailure(RC_CANCELLED);
    }
    if (result.error != IcmpSocketError::None) {
        context.err << "orloctl: " << result.errorText << '\n';
        return EXIT_DEVICE_FAILED;
    }
    if (context.options.json) {
        context.out << "[";
        for (std::size_t i = 0; i < result.answered.size(); ++i) {
            context.out << (i == 0 ? "" : ", ") << JsonString(FormatIpv4(result.answered[i]));
        }
        context.out << "]\n";
    } else {
        for (const Ipv4Address& address : result.answered) {
            context.out << FormatIpv4(address) << '\n';
        }
    }
    return EXIT_OK;
}

int RunPorts(const CommandContext& context) {
    if (context.options.help) {
        context.out << "usage: orloctl ports\nLists the serial ports that can be opened now, with their "
                       "description;\nports this user may not open are named on stderr.\n";
        return EXIT_OK;
    }
    if (!context.options.arguments.empty()) {
        return context.UsageFailure("ports takes no arguments");
    }
    const SerialPortScan scan = CSerialConnection::ScanPorts();
    for (const SerialPortInfo& port : scan.usable) {
        context.out << port.path << (port.description.empty() ? "" : "\t" + port.description) << '\n';
    }
    for (const std::string& path : scan.denied) {
        context.err << "orloctl: " << path << ": permission denied\n";
    }
    if (!scan.denied.empty()) {
        context.err << "orloctl: " << DialoutHint() << '\n';
    }
    return EXIT_OK;
}

} // namespace orlo::cli
