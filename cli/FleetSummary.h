#pragma once

#include "cli/FleetRun.h"

#include <ostream>
#include <string>
#include <vector>

namespace orlo::cli {

// The end of a run against many sensors: what each printed beyond one line (prefixed with its
// address), then a table of address, outcome and message and a count; or all of it as a JSON array.
class FleetSummary {
public:
    // `embedsJson`: each sensor's output is a JSON value of its own (info and get with --json).
    FleetSummary(const std::string& command, bool json, bool embedsJson)
        : command_(command), json_(json), embedsJson_(embedsJson) {}

    void Print(const std::vector<SensorRun>& runs, std::ostream& out) const;
    // ok, different, failed, not-identified, not-run.
    static const char* Outcome(const SensorRun& run);
    // The message of the table: a failure's reason, or what the command did.
    std::string Message(const SensorRun& run) const;

private:
    void PrintTable(const std::vector<const SensorRun*>& runs, std::ostream& out) const;
    void PrintJson(const std::vector<const SensorRun*>& runs, std::ostream& out) const;

    std::string command_;
    bool json_;
    bool embedsJson_;
};

// "A.B.C.D" or "A.B.C.D:PORT" when the port is not 9600.
std::string HostText(const IdentifyTarget& target);

} // namespace orlo::cli
