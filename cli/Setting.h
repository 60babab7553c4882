#pragma once

#include "cli/SettingValues.h"
#include "core/device/DeviceSession.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orlo::cli {

// One printable value of a setting: a text line and its JSON form.
struct Printed {
    std::vector<std::string> lines;
    std::string json;
};

// A setting `get` reads and `set` writes.
struct Setting {
    std::string valuesHelp;
    // Reads the setting; on 0 fills `printed`.
    std::function<ResultCode(DeviceSession&, Printed&)> get;
    // Checks the values without touching the sensor; returns the error text or empty.
    std::function<std::string(const Args&)> check;
    std::function<ResultCode(DeviceSession&, const Args&)> set;
};

using SettingTable = std::map<std::string, Setting>;

inline constexpr int SettingTimeout = DeviceSession::CommandTimeoutMs;

// The settings of one value or a few (threshold, size mask, direction, mode, USB time-outs, detection
// areas, information text).
void AddValueSettings(SettingTable& table);
// The numbered slots: area masks, motion masks, false-detection rectangles.
void AddSlotSettings(SettingTable& table);
// The auxiliary values Other01 to Other07, Other27 and Other28.
void AddOtherSettings(SettingTable& table);

} // namespace orlo::cli
