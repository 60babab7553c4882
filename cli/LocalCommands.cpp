#include "cli/CommandContext.h"
#include "cli/HostList.h"
#include "cli/IdentityText.h"
#include "core/device/SensorIdentifier.h"
#include "core/platform/IpRangeScanner.h"
#include "core/transport/SerialConnection.h"

namespace orlo::cli {

namespace {

struct ScanArguments {
    std::string rangeText;
    std::optional<ScanRange> range;
    bool identify = false;
    std::uint16_t port = DefaultLanPort;
};

// A.B.C.D-E [--identify [--port P]]; the failure's text for a usage error.
std::optional<ScanArguments> ParseScanArguments(const std::vector<std::string>& args, std::string& failure) {
    ScanArguments parsed;
    bool portGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--identify") {
            parsed.identify = true;
        } else if (args[i] == "--port") {
            const auto port = i + 1 < args.size() ? ParseInteger(args[++i], 1, 65535) : std::nullopt;
            if (!port) {
                failure = "scan --port needs a port from 1 to 65535";
                return std::nullopt;
            }
            parsed.port = static_cast<std::uint16_t>(*port);
            portGiven = true;
        } else if (parsed.rangeText.empty()) {
            parsed.rangeText = args[i];
            parsed.range = ParseScanRange(args[i]);
        } else {
            parsed.range.reset();
        }
    }
    if (!parsed.range) {
        failure = "scan needs one range A.B.C.D-E with E not below D";
        return std::nullopt;
    }
    if (portGiven && !parsed.identify) {
        failure = "scan --port goes with --identify";
        return std::nullopt;
    }
    return parsed;
}

// The answering addresses asked which sensor they are; false when interrupted.
bool PrintIdentities(const CommandContext& context, const std::vector<Ipv4Address>& answered,
                     std::uint16_t port) {
    std::vector<IdentifyTarget> targets;
    for (const Ipv4Address& address : answered) {
        targets.push_back({address, port});
    }
    AbortSignal abort;
    const Interruption::Registration abortOnSignal(context.interruption, [&abort] { abort.Raise(); });
    const auto identities = SensorIdentifier().Identify(targets, {}, &abort);
    if (abort.Raised()) {
        return false;
    }
    if (context.options.json) {
        context.out << "[";
        for (std::size_t i = 0; i < identities.size(); ++i) {
            context.out << (i == 0 ? "" : ",\n ") << IdentityJson(identities[i]);
        }
        context.out << "]\n";
    } else {
        for (const SensorIdentity& identity : identities) {
            context.out << IdentityLine(identity);
        }
    }
    return true;
}

} // namespace

int RunScan(const CommandContext& context) {
    if (context.options.help) {
        context.out
            << "usage: orloctl scan A.B.C.D-E [--identify [--port P]] [--json]\nSends an ICMP echo request "
               "to "
               "A.B.C.D .. A.B.C.E (E above 255 counts as 255)\nand prints every address that answered, in "
               "ascending order.\nRanges in 0.0.0.0/8, 224.0.0.0/4 and 240.0.0.0/4 are refused (exit status "
               "64).\n--identify then asks each answering address on LAN port P (default 9600) which sensor "
               "it "
               "is,\n32 at a time, at most 1 s each, and prints one line per address:\n  ADDRESS  MODEL  "
               "VERSION  INFORMATION-TEXT  [NOTE]   (separated by tabs)\nwith - - - and the reason for an "
               "address that is no sensor. Nothing is written to a sensor.\n";
        return EXIT_OK;
    }
    std::string failure;
    const auto parsed = ParseScanArguments(context.options.arguments, failure);
    if (!parsed) {
        return context.UsageFailure(failure);
    }
    const ScanRange& range = *parsed->range;
    if (!range.IsHostRange()) {
        return context.UsageFailure("scan " + parsed->rangeText +
                                    ": not a range of host addresses (0.0.0.0/8, multicast 224.0.0.0/4 and "
                                    "240.0.0.0/4 with 255.255.255.255 are never scanned)");
    }
    const ScanResult result = IpRangeScanner().Scan(
        range, [](int) {}, context.interruption != nullptr ? &context.interruption->Flag() : nullptr);
    if (result.cancelled) {
        return context.DeviceFailure(RC_CANCELLED);
    }
    if (result.error != IcmpSocketError::None) {
        context.err << "orloctl: " << result.errorText << '\n';
        return EXIT_DEVICE_FAILED;
    }
    if (parsed->identify) {
        return PrintIdentities(context, result.answered, parsed->port) ? EXIT_OK
                                                                       : context.DeviceFailure(RC_CANCELLED);
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
