#pragma once

#include "core/device/SensorIdentifier.h"
#include "core/platform/IpRangeScanner.h"

#include <optional>
#include <string>
#include <vector>

namespace orlo::cli {

// "A.B.C.D-E": the addresses A.B.C.D to A.B.C.E (E above 255 counts as 255); nothing for other text or
// E below D.
std::optional<ScanRange> ParseScanRange(const std::string& text);

// A sensor to serve: where it is, and whether it came from a range (then only an address that
// identifies as a sensor is served).
struct HostEntry {
    IdentifyTarget target;
    bool fromRange = false;
};

// The sensors of --hosts: a range A.B.C.D-E[:PORT], an address A.B.C.D[:PORT], or a file with one of
// those a line (blank lines and # comments allowed). Sorted by address and port, each once. Nothing,
// with the reason in `failure`, for a bad line, a range that is no host range, or an unreadable file.
std::optional<std::vector<HostEntry>> ReadHostList(const std::string& text, std::string& failure);

} // namespace orlo::cli
