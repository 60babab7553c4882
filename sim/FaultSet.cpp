#include "sim/FaultSet.h"

#include <charconv>

namespace orlo::sim {

namespace {

bool parseNumber(const std::string& text, unsigned long max, unsigned long& out) {
    int base = 10;
    std::size_t start = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        start = 2;
    }
    unsigned long v = 0;
    const char* first = text.data() + start;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, v, base);
    if (ec != std::errc{} || end != last || first == last || v > max) {
        return false;
    }
    out = v;
    return true;
}

} // namespace

bool FaultSet::parseOne(const std::string& item, Fault& out, std::string& error) {
    std::string body = item;
    const auto at = item.find('@');
    if (at != std::string::npos) {
        unsigned long code = 0;
        if (!parseNumber(item.substr(at + 1), 0xFF, code)) {
            error = "fault \"" + item + "\": the command after @ must be a byte (0x00 to 0xFF)";
            return false;
        }
        out.command = static_cast<std::uint8_t>(code);
        body = item.substr(0, at);
    }
    const auto eq = body.find('=');
    const std::string name = body.substr(0, eq);
    const std::string value = eq == std::string::npos ? std::string() : body.substr(eq + 1);
    const bool hasValue = eq != std::string::npos;
    struct Entry {
        const char* name;
        Kind kind;
        bool needsValue;
        unsigned long min;
        unsigned long max;
    };
    static const Entry table[] = {
        {"abnormal", Kind::Abnormal, false, 0, 0}, {"checksum", Kind::Checksum, false, 0, 0},
        {"silent", Kind::Silent, false, 0, 0},     {"forget", Kind::Forget, false, 0, 0},
        {"error", Kind::Error, true, 0x01, 0xFF},  {"drop-after", Kind::DropAfter, true, 0, 0xFFFFFFFF},
        {"delay", Kind::Delay, true, 0, 3600000},
    };
    for (const auto& e : table) {
        if (name != e.name) {
            continue;
        }
        out.kind = e.kind;
        if (e.needsValue != hasValue) {
            error = "fault \"" + item + "\": " + (e.needsValue ? "needs a value" : "takes no value");
            return false;
        }
        if (e.needsValue && (!parseNumber(value, e.max, out.value) || out.value < e.min)) {
            error = "fault \"" + item + "\": value out of range";
            return false;
        }
        if (e.kind == Kind::Error && out.value == 0x50) {
            // 0x50 is not an error to the client; "abnormal" is the fault for it.
            error = "fault \"" + item + "\": use \"abnormal\" for status 0x50";
            return false;
        }
        return true;
    }
    error = "unknown fault \"" + item + "\"";
    return false;
}

bool FaultSet::add(const std::string& list, std::string& error) {
    std::vector<Fault> parsed;
    std::size_t pos = 0;
    while (pos <= list.size()) {
        const auto comma = list.find(',', pos);
        const std::string item =
            list.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        Fault f{};
        if (!parseOne(item, f, error)) {
            return false;
        }
        parsed.push_back(f);
        if (comma == std::string::npos) {
            break;
        }
        pos = comma + 1;
    }
    faults_.insert(faults_.end(), parsed.begin(), parsed.end());
    return true;
}

FaultSet::Effect FaultSet::effectFor(std::optional<std::uint8_t> command) const {
    Effect e;
    for (const auto& f : faults_) {
        if (f.command && f.command != command) {
            continue;
        }
        switch (f.kind) {
        case Kind::Abnormal:
            e.abnormal = true;
            break;
        case Kind::Checksum:
            e.checksum = true;
            break;
        case Kind::Silent:
            e.silent = true;
            break;
        case Kind::Forget:
            e.forget = true;
            break;
        case Kind::Error:
            e.errorStatus = static_cast<std::uint8_t>(f.value);
            break;
        case Kind::DropAfter:
            e.dropAfter = static_cast<std::size_t>(f.value);
            break;
        case Kind::Delay:
            e.delay = std::chrono::milliseconds(f.value);
            break;
        }
    }
    return e;
}

const char* FaultSet::helpText() {
    return "  --fault LIST          misbehave for tests; LIST is comma-separated, the option may repeat:\n"
           "                          abnormal      answer with status 0x50 (command carried out)\n"
           "                          checksum      detection responses carry a wrong checksum\n"
           "                          silent        never answer (requests are read and ignored)\n"
           "                          forget        acknowledge settings but keep the old values\n"
           "                          error=0xNN    answer status NN with no payload, command not run\n"
           "                          drop-after=N  send only N bytes of each response, then drop the\n"
           "                                        link (TCP: close it; pty: discard the rest)\n"
           "                          delay=MS      wait MS milliseconds before each response\n"
           "                        append @0xCC to limit a fault to command CC, e.g. error=0xF3@0x03\n";
}

} // namespace orlo::sim
