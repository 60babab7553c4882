#pragma once

#include "core/report/ReportDetails.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlo::cli {

inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_DIFFERENT = 1;
inline constexpr int EXIT_DEVICE_FAILED = 2;
inline constexpr int EXIT_USAGE = 64;
inline constexpr std::uint16_t DefaultLanPort = 9600;
inline constexpr int MaxJobs = 64;

struct GlobalOptions {
    std::optional<std::string> lanHost;
    std::uint16_t lanPort = DefaultLanPort;
    std::optional<std::string> comPort;
    std::uint32_t baudRate = 115200;
    int angleOfView = 90;
    std::string directory = ".";
    bool json = false;
    bool commandLog = false; // write CmdLog.log without an "outputlog" file
    std::string commandLogName = "CmdLog.log";
    // Many sensors, one command: a range, an address or a file of them, and how many at a time.
    std::optional<std::string> hosts;
    std::optional<int> jobs;
    bool yes = false; // import to many sensors without asking
    // Everything a command does before it opens the link, and nothing after (the fleet's check).
    bool stopBeforeConnect = false;
    // report: --site, --customer, --installer, --note (before or after the command).
    ReportDetails reportDetails;
    bool help = false;
    std::string command;
    std::vector<std::string> arguments;
};

// A bad command line: the text says what is wrong.
struct UsageError {
    std::string message;
};

// Parses the arguments after the program name. Options may stand before the command; --json, --help
// and the report's details also after it.
std::optional<GlobalOptions> ParseGlobalOptions(const std::vector<std::string>& args, UsageError& error);

// Strict number parsing for option values: the whole text must be a number in [minimum, maximum],
// without a plus sign or blanks; a minus sign only when minimum is negative; base 16 may start 0x.
std::optional<long long> ParseInteger(const std::string& text, long long minimum, long long maximum,
                                      int base = 10);

std::string ToolUsage();

} // namespace orlo::cli
