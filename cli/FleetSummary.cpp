#include "cli/FleetSummary.h"

#include "cli/TextOutput.h"

#include <algorithm>
#include <map>
#include <sstream>

namespace orlo::cli {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// What a command that printed nothing did.
std::string Done(const std::string& command) {
    static const std::map<std::string, std::string> done = {
        {"import", "every setting written"},
        {"restart", "restarted; the sensor answers again"},
        {"diff", "no differences"},
    };
    const auto found = done.find(command);
    return found == done.end() ? "done" : found->second;
}

std::string Padded(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

} // namespace

std::string HostText(const IdentifyTarget& target) {
    const std::string address = FormatIpv4(target.address);
    return target.port == DefaultLanPort ? address : address + ":" + std::to_string(target.port);
}

const char* FleetSummary::Outcome(const SensorRun& run) {
    switch (run.state) {
    case SensorRun::State::NotIdentified:
        return "not-identified";
    case SensorRun::State::NotRun:
    case SensorRun::State::Waiting:
    case SensorRun::State::Skipped:
        return "not-run";
    case SensorRun::State::Done:
        break;
    }
    return run.status == EXIT_OK ? "ok" : run.status == EXIT_DIFFERENT ? "different" : "failed";
}

std::string FleetSummary::Message(const SensorRun& run) const {
    if (run.state == SensorRun::State::NotIdentified) {
        return "did not identify: " + DescribeIdentity(*run.identity);
    }
    if (run.state != SensorRun::State::Done) {
        return "not started: interrupted";
    }
    const std::vector<std::string> lines = Lines(run.out);
    if (run.Failed()) {
        const std::vector<std::string> errors = Lines(run.err);
        if (errors.empty()) {
            return "exit status " + std::to_string(run.status);
        }
        const std::string& last = errors.back();
        return last.starts_with("orloctl: ") ? last.substr(9) : last;
    }
    if (run.status == EXIT_DIFFERENT) {
        return lines.size() == 1 ? "1 setting differs (listed above)"
                                 : std::to_string(lines.size()) + " settings differ (listed above)";
    }
    if (!run.file.empty()) {
        return "wrote " + PrintablePath(run.file);
    }
    if (lines.size() == 1) {
        // A JSON value goes into the summary as a value of its own.
        return embedsJson_ ? std::string() : lines.front();
    }
    return lines.empty() ? Done(command_) : std::to_string(lines.size()) + " lines (listed above)";
}

void FleetSummary::Print(const std::vector<SensorRun>& runs, std::ostream& out) const {
    std::vector<const SensorRun*> listed;
    for (const SensorRun& run : runs) {
        if (run.state != SensorRun::State::Skipped) {
            listed.push_back(&run);
        }
    }
    if (json_) {
        PrintJson(listed, out);
    } else {
        PrintTable(listed, out);
    }
}

void FleetSummary::PrintTable(const std::vector<const SensorRun*>& runs, std::ostream& out) const {
    std::size_t width = std::string("ADDRESS").size();
    for (const SensorRun* run : runs) {
        width = std::max(width, HostText(run->host.target).size());
        const std::vector<std::string> lines = Lines(run->out);
        if ((lines.size() > 1 || run->status == EXIT_DIFFERENT) && !run->Failed()) {
            for (const std::string& line : lines) {
                out << HostText(run->host.target) << ": " << line << '\n';
            }
        }
    }
    constexpr std::size_t kOutcomeWidth = 15;
    out << Padded("ADDRESS", width + 2) << Padded("OUTCOME", kOutcomeWidth) << "MESSAGE\n";
    std::map<std::string, int> counts;
    for (const SensorRun* run : runs) {
        out << Padded(HostText(run->host.target), width + 2) << Padded(Outcome(*run), kOutcomeWidth)
            << Message(*run) << '\n';
        ++counts[Outcome(*run)];
    }
    out << runs.size() << (runs.size() == 1 ? " sensor" : " sensors");
    const char* separator = ": ";
    for (const char* outcome : {"ok", "different", "failed", "not-identified", "not-run"}) {
        if (counts[outcome] > 0) {
            out << separator << counts[outcome] << ' ' << outcome;
            separator = ", ";
        }
    }
    out << '\n';
}

void FleetSummary::PrintJson(const std::vector<const SensorRun*>& runs, std::ostream& out) const {
    out << "[";
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const SensorRun& run = *runs[i];
        out << (i == 0 ? "" : ",\n ") << "{\"address\": " << JsonString(FormatIpv4(run.host.target.address))
            << ", \"port\": " << run.host.target.port;
        if (run.identity && run.identity->outcome == IdentifyOutcome::Sensor) {
            out << ", \"text\": " << JsonString(PrintableText(run.identity->text));
        }
        out << ", \"outcome\": " << JsonString(Outcome(run)) << ", \"status\": " << run.status
            << ", \"message\": " << JsonString(Message(run));
        if (!run.file.empty() && !run.Failed()) {
            out << ", \"file\": " << JsonString(PrintablePath(run.file));
        }
        const std::vector<std::string> lines = Lines(run.out);
        if (embedsJson_ && lines.size() == 1 && !run.Failed()) {
            out << ", \"result\": " << lines.front();
        } else if (!lines.empty()) {
            out << ", \"output\": [";
            for (std::size_t k = 0; k < lines.size(); ++k) {
                out << (k == 0 ? "" : ", ") << JsonString(lines[k]);
            }
            out << "]";
        }
        out << "}";
    }
    out << "]\n";
}

} // namespace orlo::cli
