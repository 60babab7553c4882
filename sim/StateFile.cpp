#include "sim/StateFile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <sstream>
#include <vector>

namespace orlo::sim {

namespace {

std::string rectText(const Rect16& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool parseInts(const std::string& text, std::vector<std::int64_t>& out) {
    out.clear();
    std::size_t pos = 0;
    while (true) {
        auto comma = text.find(',', pos);
        auto part = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        std::int64_t v = 0;
        auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
        if (ec != std::errc{} || end != part.data() + part.size() || part.empty()) {
            return false;
        }
        out.push_back(v);
        if (comma == std::string::npos) {
            return true;
        }
        pos = comma + 1;
    }
}

template <typename T>
bool fitValue(std::int64_t v, T& dst) {
    if (v < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
        v > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
        return false;
    }
    dst = static_cast<T>(v);
    return true;
}

bool parseRect(const std::string& text, Rect16& r, std::uint8_t* judge = nullptr) {
    std::vector<std::int64_t> v;
    if (!parseInts(text, v) || v.size() != (judge ? 5u : 4u)) {
        return false;
    }
    Rect16 tmp;
    if (!fitValue(v[0], tmp.left) || !fitValue(v[1], tmp.top) || !fitValue(v[2], tmp.right) ||
        !fitValue(v[3], tmp.bottom)) {
        return false;
    }
    if (judge && !fitValue(v[4], *judge)) {
        return false;
    }
    r = tmp;
    return true;
}

template <typename T>
bool parseNumber(const std::string& text, T& dst) {
    std::vector<std::int64_t> v;
    return parseInts(text, v) && v.size() == 1 && fitValue(v[0], dst);
}

bool parseHex(const std::string& text, std::array<std::uint8_t, kDeviceInfoTextSize>& dst) {
    if (text.size() != dst.size() * 2) {
        return false;
    }
    std::array<std::uint8_t, kDeviceInfoTextSize> tmp{};
    for (std::size_t i = 0; i < dst.size(); ++i) {
        auto [end, ec] = std::from_chars(text.data() + 2 * i, text.data() + 2 * i + 2, tmp[i], 16);
        if (ec != std::errc{} || end != text.data() + 2 * i + 2) {
            return false;
        }
    }
    dst = tmp;
    return true;
}

using Setter = std::function<bool(const std::string&, SensorSettings&)>;

std::map<std::string, Setter> setters() {
    std::map<std::string, Setter> m;
    m["direction"] = [](auto& t, auto& s) { return parseNumber(t, s.direction) && s.direction <= 3; };
    m["operatingMode"] = [](auto& t, auto& s) { return parseNumber(t, s.operatingMode); };
    m["baudRate"] = [](auto& t, auto& s) {
        return parseNumber(t, s.baudRate) && isSupportedBaud(s.baudRate);
    };
    m["threshold"] = [](auto& t, auto& s) { return parseNumber(t, s.threshold); };
    m["sizeMin"] = [](auto& t, auto& s) { return parseNumber(t, s.sizeMin); };
    m["sizeMax"] = [](auto& t, auto& s) { return parseNumber(t, s.sizeMax); };
    for (std::size_t i = 0; i < kAreaMaskSlots; ++i) {
        m["areaMask." + std::to_string(i)] = [i](auto& t, auto& s) {
            return parseRect(t, s.areaMasks[i].rect, &s.areaMasks[i].judge);
        };
    }
    for (std::size_t i = 0; i < kMotionMaskSlots; ++i) {
        m["motionMask." + std::to_string(i)] = [i](auto& t, auto& s) {
            return parseRect(t, s.motionMasks[i]);
        };
    }
    for (std::size_t i = 0; i < kFalseRectSlots; ++i) {
        m["falseRect." + std::to_string(i)] = [i](auto& t, auto& s) { return parseRect(t, s.falseRects[i]); };
    }
    m["humanArea"] = [](auto& t, auto& s) { return parseRect(t, s.humanArea); };
    m["motionArea"] = [](auto& t, auto& s) { return parseRect(t, s.motionArea); };
    m["deviceInfoText"] = [](auto& t, auto& s) { return parseHex(t, s.deviceInfoText); };
    m["usbSendTimeout"] = [](auto& t, auto& s) { return parseNumber(t, s.usbSendTimeoutMs); };
    m["usbReceiveTimeout"] = [](auto& t, auto& s) { return parseNumber(t, s.usbReceiveTimeoutMs); };
    m["other01"] = [](auto& t, auto& s) { return parseNumber(t, s.other01); };
    m["other02"] = [](auto& t, auto& s) { return parseNumber(t, s.other02); };
    m["other03"] = [](auto& t, auto& s) { return parseNumber(t, s.other03); };
    m["other04"] = [](auto& t, auto& s) { return parseNumber(t, s.other04); };
    m["other05"] = [](auto& t, auto& s) { return parseNumber(t, s.other05); };
    m["other06"] = [](auto& t, auto& s) { return parseNumber(t, s.other06); };
    m["other07"] = [](auto& t, auto& s) { return parseNumber(t, s.other07); };
    m["other27"] = [](auto& t, auto& s) { return parseNumber(t, s.other27); };
    m["other28"] = [](auto& t, auto& s) { return parseNumber(t, s.other28); };
    return m;
}

std::string serialise(const SensorSettings& s) {
    std::ostringstream out;
    out << "# orlo-sim sensor state\n";
    out << "direction=" << int(s.direction) << "\n";
    out << "operatingMode=" << int(s.operatingMode) << "\n";
    out << "baudRate=" << s.baudRate << "\n";
    out << "threshold=" << s.threshold << "\n";
    out << "sizeMin=" << s.sizeMin << "\n";
    out << "sizeMax=" << s.sizeMax << "\n";
    for (std::size_t i = 0; i < kAreaMaskSlots; ++i) {
        out << "areaMask." << i << "=" << rectText(s.areaMasks[i].rect) << "," << int(s.areaMasks[i].judge)
            << "\n";
    }
    for (std::size_t i = 0; i < kMotionMaskSlots; ++i) {
        out << "motionMask." << i << "=" << rectText(s.motionMasks[i]) << "\n";
    }
    for (std::size_t i = 0; i < kFalseRectSlots; ++i) {
        out << "falseRect." << i << "=" << rectText(s.falseRects[i]) << "\n";
    }
    out << "humanArea=" << rectText(s.humanArea) << "\n";
    out << "motionArea=" << rectText(s.motionArea) << "\n";
    out << "deviceInfoText=";
    static const char* hex = "0123456789abcdef";
    for (auto b : s.deviceInfoText) {
        out << hex[b >> 4] << hex[b & 15];
    }
    out << "\n";
    out << "usbSendTimeout=" << s.usbSendTimeoutMs << "\n";
    out << "usbReceiveTimeout=" << s.usbReceiveTimeoutMs << "\n";
    out << "other01=" << s.other01 << "\n";
    out << "other02=" << int(s.other02) << "\n";
    out << "other03=" << int(s.other03) << "\n";
    out << "other04=" << s.other04 << "\n";
    out << "other05=" << int(s.other05) << "\n";
    out << "other06=" << int(s.other06) << "\n";
    out << "other07=" << int(s.other07) << "\n";
    out << "other27=" << int(s.other27) << "\n";
    out << "other28=" << int(s.other28) << "\n";
    return out.str();
}

} // namespace

StateLoad loadStateFile(const std::string& path, SensorSettings& settings, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
        return StateLoad::Missing;
    }
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot be read";
        return StateLoad::Invalid;
    }
    static const auto table = setters();
    SensorSettings loaded;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        auto eq = line.find('=');
        auto it = eq == std::string::npos ? table.end() : table.find(line.substr(0, eq));
        if (it == table.end()) {
            error = path + ":" + std::to_string(lineNo) + ": unknown entry \"" + line + "\"";
            return StateLoad::Invalid;
        }
        if (!it->second(line.substr(eq + 1), loaded)) {
            error = path + ":" + std::to_string(lineNo) + ": bad value in \"" + line + "\"";
            return StateLoad::Invalid;
        }
    }
    if (in.bad()) {
        error = path + ": read error";
        return StateLoad::Invalid;
    }
    settings = loaded;
    return StateLoad::Loaded;
}

bool saveStateFile(const std::string& path, const SensorSettings& settings, std::string& error) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << serialise(settings);
        out.flush();
        if (!out) {
            error = tmp + ": cannot write";
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace orlo::sim
