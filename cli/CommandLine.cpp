#include "cli/CommandLine.h"

#include "core/device/ConnectProcedures.h"
#include "core/platform/Ipv4Address.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace orlo::cli {

std::optional<long long> ParseInteger(const std::string& text, long long minimum, long long maximum,
                                      int base) {
    std::string_view digits = text;
    // A minus sign only where negative numbers are allowed; never a plus sign, blanks or a base prefix
    // other than 0x for hexadecimal.
    const bool negative = minimum < 0 && digits.starts_with('-');
    if (base == 16 && (digits.starts_with("0x") || digits.starts_with("0X"))) {
        digits.remove_prefix(2);
    }
    long long value = 0;
    const char* first = digits.data() + (negative ? 1 : 0);
    const char* last = digits.data() + digits.size();
    if (first == last || *first == '-' || *first == '+') {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(first, last, value, base);
    if (error != std::errc() || end != last) {
        return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < minimum || value > maximum) {
        return std::nullopt;
    }
    return value;
}

namespace {

// Digits and dots only: meant as an address, so it must be a whole dotted one (the resolver would
// read 1.2.3 as 1.2.0.3).
bool LooksNumeric(const std::string& host) {
    return host.find_first_not_of("0123456789.") == std::string::npos;
}

bool SplitHostPort(const std::string& text, GlobalOptions& options, UsageError& error) {
    const auto colon = text.rfind(':');
    options.lanHost = text.substr(0, colon);
    if (colon != std::string::npos) {
        const auto port = ParseInteger(text.substr(colon + 1), 1, 65535);
        if (!port) {
            error.message = "--lan: the port must be a number from 1 to 65535: " + text;
            return false;
        }
        options.lanPort = static_cast<std::uint16_t>(*port);
    }
    if (options.lanHost->empty()) {
        error.message = "--lan: missing host";
        return false;
    }
    if (LooksNumeric(*options.lanHost) && !ParseIpv4(*options.lanHost)) {
        error.message = "--lan: not an IPv4 address A.B.C.D: " + *options.lanHost;
        return false;
    }
    return true;
}

} // namespace

std::optional<GlobalOptions> ParseGlobalOptions(const std::vector<std::string>& args, UsageError& error) {
    GlobalOptions options;
    std::size_t i = 0;
    const auto value = [&](const std::string& option) -> std::optional<std::string> {
        if (i + 1 >= args.size()) {
            error.message = option + " needs a value";
            return std::nullopt;
        }
        return args[++i];
    };
    // The report's details: true when arg is one of them (its value taken, or `failed` set).
    bool failed = false;
    const auto reportDetail = [&](const std::string& arg) {
        std::string ReportDetails::*const field = arg == "--site"        ? &ReportDetails::site
                                                  : arg == "--customer"  ? &ReportDetails::customer
                                                  : arg == "--installer" ? &ReportDetails::installer
                                                  : arg == "--note"      ? &ReportDetails::note
                                                                         : nullptr;
        if (field == nullptr) {
            return false;
        }
        const auto text = value(arg);
        failed = !text;
        if (text) {
            options.reportDetails.*field = *text;
        }
        return true;
    };
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (reportDetail(arg)) {
            if (failed) {
                return std::nullopt;
            }
            continue;
        }
        if (!options.command.empty()) {
            if (arg == "--json") {
                options.json = true;
            } else if (arg == "--help" || arg == "-h") {
                options.help = true;
            } else {
                options.arguments.push_back(arg);
            }
            continue;
        }
        if (arg == "--lan") {
            const auto text = value(arg);
            if (!text || !SplitHostPort(*text, options, error)) {
                return std::nullopt;
            }
        } else if (arg == "--com") {
            const auto text = value(arg);
            if (!text) {
                return std::nullopt;
            }
            options.comPort = *text;
        } else if (arg == "--baud") {
            const auto text = value(arg);
            const auto rate = text ? ParseInteger(*text, 1, 4'000'000) : std::nullopt;
            if (!rate ||
                std::find(BaudRateTable.begin(), BaudRateTable.end(), *rate) == BaudRateTable.end()) {
                error.message =
                    text ? "--baud: not one of 9600, 38400, 115200, 230400, 460800: " + *text : error.message;
                return std::nullopt;
            }
            options.baudRate = static_cast<std::uint32_t>(*rate);
        } else if (arg == "--angle") {
            const auto text = value(arg);
            if (!text) {
                return std::nullopt;
            }
            if (*text != "90" && *text != "50") {
                error.message = "--angle must be 90 or 50: " + *text;
                return std::nullopt;
            }
            options.angleOfView = std::stoi(*text);
        } else if (arg == "--dir") {
            const auto text = value(arg);
            if (!text) {
                return std::nullopt;
            }
            options.directory = *text;
        } else if (arg == "--hosts") {
            const auto text = value(arg);
            if (!text) {
                return std::nullopt;
            }
            options.hosts = *text;
        } else if (arg == "--jobs") {
            const auto text = value(arg);
            const auto jobs = text ? ParseInteger(*text, 1, MaxJobs) : std::nullopt;
            if (!jobs) {
                error.message = text ? "--jobs: a number from 1 to " + std::to_string(MaxJobs) + ": " + *text
                                     : error.message;
                return std::nullopt;
            }
            options.jobs = static_cast<int>(*jobs);
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--log") {
            options.commandLog = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (!arg.empty() && arg[0] == '-') {
            error.message = "unknown option: " + arg;
            return std::nullopt;
        } else {
            options.command = arg;
        }
    }
    if (options.lanHost && options.comPort) {
        error.message = "--lan and --com cannot be used together";
        return std::nullopt;
    }
    if (options.hosts && (options.lanHost || options.comPort)) {
        error.message = "--hosts names the sensors: it goes without --lan and --com";
        return std::nullopt;
    }
    if (options.reportDetails != ReportDetails{} && options.command != "report") {
        error.message = "--site, --customer, --installer and --note go with report";
        return std::nullopt;
    }
    return options;
}

std::string ToolUsage() {
    return R"(usage: orloctl [--lan HOST[:PORT] | --com PORT [--baud RATE]] [--angle 90|50] [--dir DIR] [--log]
               [--json] COMMAND [ARGS]
       orloctl --hosts FILE|A.B.C.D-E[:PORT] [--jobs N] [--yes] [--dir DIR] [--log] [--json] COMMAND [ARGS]

Connection:
  --lan HOST[:PORT]  the sensor on the LAN (port 9600 unless given)
  --com PORT         the sensor on a serial port (/dev/ttyACM0 and the like; COM3 on Windows)
  --baud RATE        the serial speed to use: 9600, 38400, 115200 (default), 230400 or 460800;
                     the other speeds are probed when the sensor does not answer at it
  --angle 90|50      the lens angle of view of the sensor (default 90)
  --dir DIR          directory of "outputlog" and "CmdLog.log" (default: current)
  --log              write the command log "CmdLog.log" there even without "outputlog"
  --json             JSON output for info, get, detect and scan
  --hosts FILE|RANGE the same command against many sensors on the LAN: a file with one
                     A.B.C.D[:PORT] or A.B.C.D-E[:PORT] a line (# comments), or one range or
                     address; of a range only the addresses that answer as sensors are served
  --jobs N           with --hosts: how many sensors at a time (default 8, at most 64)
  --yes              with --hosts: import to the sensors without asking

Commands:
  info                     model name and firmware version
  export FILE              back the sensor's settings up to an INI file
  report FILE.html [--site TEXT] [--customer TEXT] [--installer TEXT] [--note TEXT]
                           commissioning report: picture with every region and detection, and
                           every setting of the backup in tables (one self-contained HTML file);
                           the details given stand at its top
  import FILE              write an INI file's settings to the sensor
  diff FILE                list the settings where the sensor differs from FILE (exit 1 if any)
  restart | initialize | recover
                           restart (initialize: also restore factory settings) and wait for the sensor
  detect [OPTIONS]         run detection cycles and print one log line each (detect --help)
  get NAME                 read a setting (get --help lists the names)
  set NAME VALUES          write a setting and read it back (set --help)
  scan A.B.C.D-E [--identify [--port P]]
                           find answering addresses (ICMP echo) from A.B.C.D to A.B.C.E; with
                           --identify ask each which sensor it is (model, version, text)
  ports                    serial ports that can be opened now (and, on stderr, those this
                           user may not open)

Many sensors (--hosts): info, export DIR, diff FILE, import FILE, report DIR, restart and get NAME run
against every sensor, N at a time; export and report write one file a sensor into DIR, named by its
address and information text (192.168.0.21_Entrance.ini); --log writes CmdLog-ADDRESS.log a sensor.
A summary table (address, outcome, message) or a JSON array comes last; exit status 0 when every
sensor succeeded, 1 when diff found differences on any, 2 when any failed.

Exit status: 0 success, 1 diff found differences, 64 usage error (nothing was sent),
2 a device operation or a local file failed; the last line on stderr then reads
  orloctl: MESSAGE (result CODE)
130 (143) Ctrl-C or SIGINT (SIGTERM) ended the command within a second: a write in flight is
finished, a file being written is left as it was, an import names what it wrote.
)";
}

} // namespace orlo::cli
