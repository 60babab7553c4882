#include "cli/Setting.h"
#include "cli/TextOutput.h"
#include "core/device/CommandSupport.h"
#include "core/device/SystemCommands.h"
#include "core/settingsfile/SettingsFile.h"

namespace orlo::cli {

namespace {

constexpr int Timeout = SettingTimeout;

// The auxiliary values, read and written together.
struct Others {
    std::uint16_t other01 = 0;
    Other02To06 other02To06;
    std::uint8_t other07 = 0;
    Other27To28 other27To28;
};

ResultCode ReadOthers(DeviceSession& session, Others& others) {
    ResultCode result = GetOther01(session, Timeout, others.other01);
    result = result == RC_OK ? GetOther02To06(session, Timeout, others.other02To06) : result;
    result = result == RC_OK ? GetOther07(session, Timeout, others.other07) : result;
    return result == RC_OK ? GetOther27To28(session, Timeout, others.other27To28) : result;
}

std::map<std::string, int*> OtherFields(Others& others, std::map<std::string, int>& values) {
    values = {{"Other01", others.other01},
              {"Other02", others.other02To06.other02},
              {"Other03", others.other02To06.other03},
              {"Other04", others.other02To06.other04},
              {"Other05", others.other02To06.other05},
              {"Other06", others.other02To06.other06},
              {"Other07", others.other07},
              {"Other27", others.other27To28.other27},
              {"Other28", others.other27To28.other28}};
    std::map<std::string, int*> fields;
    for (auto& [key, value] : values) {
        fields[key] = &value;
    }
    return fields;
}

const SettingRule& OtherRule(const std::string& key) {
    return key == "Other01" || key == "Other04" ? WordRule : ByteRule;
}

Setting OthersSetting() {
    return {
        "KEY=VALUE ... (KEY Other01-Other07, Other27, Other28)",
        [](DeviceSession& s, Printed& p) {
            Others others;
            const ResultCode result = ReadOthers(s, others);
            std::map<std::string, int> values;
            OtherFields(others, values);
            p.json = "{";
            for (const auto& [key, value] : values) {
                p.lines.push_back(key + "=" + std::to_string(value));
                p.json += (p.json.size() > 1 ? ", " : "") + JsonString(key) + ": " + std::to_string(value);
            }
            p.json += "}";
            return result;
        },
        [](const Args& a) {
            Others others;
            std::map<std::string, int> values;
            const auto fields = OtherFields(others, values);
            if (a.empty()) {
                return std::string("needs at least one KEY=VALUE");
            }
            for (const std::string& arg : a) {
                const auto equals = arg.find('=');
                const std::string key = arg.substr(0, equals);
                if (equals == std::string::npos || !fields.count(key) ||
                    !Number(arg.substr(equals + 1), OtherRule(key))) {
                    return "not KEY=VALUE with a known key and a value in range: " + arg;
                }
                if ((key == "Other27" || key == "Other28") &&
                    *Number(arg.substr(equals + 1), ByteRule) == UnrestorableOther27To28) {
                    return arg + " cannot be restored from a settings file (Other27 and Other28: 1 to 255)";
                }
            }
            return std::string();
        },
        [](DeviceSession& s, const Args& a) {
            Others others;
            if (const ResultCode result = ReadOthers(s, others); result != RC_OK) {
                return result;
            }
            std::map<std::string, int> values;
            auto fields = OtherFields(others, values);
            for (const std::string& arg : a) {
                const auto equals = arg.find('=');
                const std::string key = arg.substr(0, equals);
                *fields[key] = *Number(arg.substr(equals + 1), OtherRule(key));
            }
            const Others wanted{
                static_cast<std::uint16_t>(values["Other01"]),
                {static_cast<std::uint8_t>(values["Other02"]), static_cast<std::uint8_t>(values["Other03"]),
                 static_cast<std::uint16_t>(values["Other04"]), static_cast<std::uint8_t>(values["Other05"]),
                 static_cast<std::uint8_t>(values["Other06"])},
                static_cast<std::uint8_t>(values["Other07"]),
                {static_cast<std::uint8_t>(values["Other27"]), static_cast<std::uint8_t>(values["Other28"])}};
            ResultCode result = command::WriteAndVerify(s, wanted.other01, SetOther01, GetOther01);
            result = result == RC_OK
                         ? command::WriteAndVerify(s, wanted.other02To06, SetOther02To06, GetOther02To06)
                         : result;
            result =
                result == RC_OK ? command::WriteAndVerify(s, wanted.other07, SetOther07, GetOther07) : result;
            return result == RC_OK
                       ? command::WriteAndVerify(s, wanted.other27To28, SetOther27To28, GetOther27To28)
                       : result;
        }};
}

} // namespace

void AddOtherSettings(SettingTable& table) {
    table.emplace("others", OthersSetting());
}

} // namespace orlo::cli
