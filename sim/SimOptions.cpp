#include "sim/SimOptions.h"

#include "core/platform/CodePage.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace orlo::sim {

namespace {

template <typename T>
bool parseUnsigned(const std::string& text, T& out) {
    T v{};
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return false;
    }
    out = v;
    return true;
}

bool parseEndpoint(const std::string& text, TcpEndpoint& out) {
    const auto colon = text.rfind(':');
    std::string portText = text;
    if (colon != std::string::npos) {
        out.host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (out.host.empty()) {
            return false;
        }
    }
    return parseUnsigned(portText, out.port);
}

bool parseSeconds(const std::string& text, std::chrono::milliseconds& out) {
    double seconds = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (ec != std::errc{} || end != text.data() + text.size() || text.empty() || !(seconds >= 0) ||
        seconds > 3600) {
        return false;
    }
    out = std::chrono::milliseconds(std::lround(seconds * 1000));
    return true;
}

// UTF-8 text in the sensor's character set, with \xNN for any byte as it is (a text no real
// tool would write) and \\ for the backslash; at most 20 bytes, cut at a character boundary.
bool parseInfoText(const std::string& text, std::array<std::uint8_t, kDeviceInfoTextSize>& out) {
    std::string bytes;
    std::string plain;
    const auto flush = [&] {
        const auto converted = orlo::Utf8ToCp932(plain);
        bytes += converted.value_or("");
        const bool ok = converted.has_value();
        plain.clear();
        return ok;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
            continue;
        }
        if (!flush()) {
            return false;
        }
        if (text.compare(i, 2, "\\\\") == 0) {
            bytes += '\\';
            ++i;
            continue;
        }
        std::uint8_t byte = 0;
        const char* digits = text.data() + i + 2;
        if (text.compare(i, 2, "\\x") != 0 || i + 4 > text.size() ||
            std::from_chars(digits, digits + 2, byte, 16).ptr != digits + 2) {
            return false;
        }
        bytes += static_cast<char>(byte);
        i += 3;
    }
    if (!flush()) {
        return false;
    }
    const std::string_view fitted =
        bytes.size() > kDeviceInfoTextSize ? orlo::Cp932Prefix(bytes, kDeviceInfoTextSize) : bytes;
    out.fill(0);
    std::copy(fitted.begin(), fitted.end(), out.begin());
    return true;
}

} // namespace

bool parseSimCommandLine(const std::vector<std::string>& args, SimCommandLine& out, std::string& error) {
    auto& c = out.config;
    const auto optionalValue = [&](std::size_t& i) -> const std::string* {
        if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0) {
            return &args[++i];
        }
        return nullptr;
    };
    const auto requiredValue = [&](std::size_t& i) -> const std::string* {
        if (i + 1 < args.size()) {
            return &args[++i];
        }
        error = args[i] + " needs a value";
        return nullptr;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out.help = true;
        } else if (a == "--verbose" || a == "-v") {
            out.verbose = true;
        } else if (a == "--tcp") {
            c.tcp = TcpEndpoint{};
            if (const auto* v = optionalValue(i); v && !parseEndpoint(*v, *c.tcp)) {
                error = "--tcp: expected [HOST:]PORT, got \"" + *v + "\"";
                return false;
            }
        } else if (a == "--pty") {
            c.pty = true;
            if (const auto* v = optionalValue(i)) {
                c.ptyLink = *v;
            }
        } else if (a == "--baud") {
            const auto* v = requiredValue(i);
            std::uint32_t baud = 0;
            if (!v || !parseUnsigned(*v, baud) || !isSupportedBaud(baud)) {
                error = "--baud: one of 9600, 38400, 115200, 230400, 460800";
                return false;
            }
            c.baud = baud;
        } else if (a == "--no-throttle") {
            c.throttle = false;
        } else if (a == "--state") {
            const auto* v = requiredValue(i);
            if (!v) {
                return false;
            }
            c.stateFile = *v;
        } else if (a == "--restart-seconds") {
            const auto* v = requiredValue(i);
            if (!v || !parseSeconds(*v, c.restartSilence)) {
                error = "--restart-seconds: a number of seconds from 0 to 3600";
                return false;
            }
        } else if (a == "--seed") {
            const auto* v = requiredValue(i);
            if (!v || !parseUnsigned(*v, c.seed)) {
                error = "--seed: an unsigned integer";
                return false;
            }
        } else if (a == "--info-text") {
            const auto* v = requiredValue(i);
            std::array<std::uint8_t, kDeviceInfoTextSize> text{};
            if (!v || !parseInfoText(*v, text)) {
                error = "--info-text: UTF-8 text the sensor's character set (CP932) holds, \\xNN for a byte";
                return false;
            }
            c.infoText = text;
        } else if (a == "--replay") {
            const auto* v = requiredValue(i);
            if (!v) {
                return false;
            }
            c.replayLog = *v;
        } else if (a == "--fault") {
            const auto* v = requiredValue(i);
            if (!v || !c.faults.add(*v, error)) {
                return false;
            }
        } else {
            error = "unknown option \"" + a + "\" (see --help)";
            return false;
        }
    }
    if (!c.tcp && !c.pty) {
        c.tcp = TcpEndpoint{};
    }
    return true;
}

std::string simUsage() {
    return std::string(
               "Usage: orlo-sim [options]\n"
               "Simulates an Orlo-X1 people-detection sensor on TCP and/or a pseudo-terminal.\n"
               "\n"
               "  --tcp [HOST:]PORT     serve the LAN protocol (default 127.0.0.1:9600; port 0 picks\n"
               "                        a free port); the default when no link is given\n"
               "  --pty [LINK]          serve the serial protocol on a pseudo-terminal; prints its\n"
               "                        path and, with LINK, keeps a symbolic link to it\n"
               "  --baud RATE           the sensor's serial speed: 9600, 38400, 115200 (default),\n"
               "                        230400 or 460800; the pty answers only at this line speed\n"
               "  --no-throttle         send at full speed instead of 10 bits per byte on the pty\n"
               "  --state FILE          keep the sensor's settings in FILE across runs\n"
               "  --restart-seconds S   silence after a restart command (default 5)\n"
               "  --seed N              scene seed (default 1); same seed and requests, same bytes\n"
               "  --info-text TEXT      the information text (20 bytes in CP932) at start, replacing the\n"
               "                        stored one; \\xNN is a byte as it is, \\\\ a backslash\n") +
           FaultSet::helpText() +
           "  --replay CmdLog.log   play a command log of the set-up tool back: each request gets what\n"
           "                        was received for the next recorded request with the same bytes,\n"
           "                        any other request no answer (and a line on standard error)\n"
           "  --verbose             log every request to standard error\n"
           "  --help                this text\n";
}

} // namespace orlo::sim
