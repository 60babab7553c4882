#include "cli/HostList.h"

#include "cli/CommandLine.h"
#include "cli/TextOutput.h"
#include "core/platform/FileIo.h"

#include <algorithm>
#include <sstream>

namespace orlo::cli {

namespace {

constexpr std::size_t kMostFileBytes = 1 << 20;

// One entry: address or range, then an optional :PORT; adds its hosts to `hosts`.
bool ParseEntry(const std::string& text, std::vector<HostEntry>& hosts, std::string& failure) {
    std::string where = text;
    std::uint16_t port = DefaultLanPort;
    if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        const auto number = ParseInteger(text.substr(colon + 1), 1, 65535);
        if (!number) {
            failure = "not a port from 1 to 65535: " + text;
            return false;
        }
        port = static_cast<std::uint16_t>(*number);
        where = text.substr(0, colon);
    }
    if (const auto address = ParseIpv4(where)) {
        hosts.push_back({{*address, port}, false});
        return true;
    }
    const auto range = ParseScanRange(where);
    if (!range) {
        failure = "not an address A.B.C.D[:PORT] or a range A.B.C.D-E[:PORT]: " + text;
        return false;
    }
    if (!range->IsHostRange()) {
        failure = "not a range of host addresses: " + text;
        return false;
    }
    for (int x = range->First(); x <= range->Last(); ++x) {
        hosts.push_back({{range->At(x), port}, true});
    }
    return true;
}

bool LooksLikeEntry(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789.-:") == std::string::npos;
}

} // namespace

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

std::optional<std::vector<HostEntry>> ReadHostList(const std::string& text, std::string& failure) {
    std::vector<HostEntry> hosts;
    if (LooksLikeEntry(text)) {
        if (!ParseEntry(text, hosts, failure)) {
            failure = "--hosts: " + failure;
            return std::nullopt;
        }
    } else {
        const FileContents file = ReadFileContents(text, kMostFileBytes);
        if (file.status != FileContents::Status::Loaded) {
            failure = "--hosts: cannot read " + PrintablePath(text) + ": " + file.error.message();
            return std::nullopt;
        }
        std::istringstream lines(file.text);
        std::string line;
        for (int number = 1; std::getline(lines, line); ++number) {
            line = line.substr(0, line.find('#'));
            const auto first = line.find_first_not_of(" \t\r");
            if (first == std::string::npos) {
                continue;
            }
            const std::string entry = line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
            if (!ParseEntry(entry, hosts, failure)) {
                failure = PrintablePath(text) + ":" + std::to_string(number) + ": " + PrintableText(failure);
                return std::nullopt;
            }
        }
        if (hosts.empty()) {
            failure = "--hosts: " + PrintablePath(text) + " names no sensor";
            return std::nullopt;
        }
    }
    // A host named alone and in a range is served as named alone.
    std::sort(hosts.begin(), hosts.end(), [](const HostEntry& a, const HostEntry& b) {
        return a.target != b.target ? a.target < b.target : a.fromRange < b.fromRange;
    });
    hosts.erase(std::unique(hosts.begin(), hosts.end(),
                            [](const HostEntry& a, const HostEntry& b) { return a.target == b.target; }),
                hosts.end());
    return hosts;
}

} // namespace orlo::cli
