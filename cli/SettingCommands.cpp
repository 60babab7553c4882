#include "cli/CommandContext.h"
#include "core/device/CommandSupport.h"
#include "core/device/DetectionSettingsCommands.h"
#include "core/device/SystemCommands.h"
#include "core/platform/CodePage.h"
#include "core/settingsfile/SettingRules.h"
#include "core/settingsfile/SettingsFile.h"

#include <functional>
#include <map>
#include <sstream>

namespace orlo::cli {

namespace {

constexpr int Timeout = DeviceSession::CommandTimeoutMs;
using Args = std::vector<std::string>;

// One printable value of a setting: a text line and its JSON form.
struct Printed {
    std::vector<std::string> lines;
    std::string json;
};

struct Setting {
    std::string valuesHelp;
    // Reads the setting; on 0 fills `printed`.
    std::function<ResultCode(DeviceSession&, Printed&)> get;
    // Checks the values without touching the sensor; returns the error text or empty.
    std::function<std::string(const Args&)> check;
    std::function<ResultCode(DeviceSession&, const Args&)> set;
};

std::optional<int> Number(const std::string& text, long long minimum, long long maximum) {
    const auto value = ParseInteger(text, minimum, maximum);
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

std::optional<int> Number(const std::string& text, const SettingRule& rule) {
    return Number(text, rule.minimum, rule.maximum);
}

// "1 to 1000" for the help and the messages.
std::string RangeText(const SettingRule& rule) {
    return std::to_string(rule.minimum) + " to " + std::to_string(rule.maximum);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        parts.push_back(part);
    }
    return parts;
}

std::string RectText(const Rect& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

std::string RectJson(const Rect& r) {
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + "]";
}

std::optional<Rect> ParseRect(const std::vector<std::string>& parts, std::size_t first) {
    if (parts.size() < first + 4) {
        return std::nullopt;
    }
    const auto l = Number(parts[first], CoordinateRule);
    const auto t = Number(parts[first + 1], CoordinateRule);
    const auto r = Number(parts[first + 2], CoordinateRule);
    const auto b = Number(parts[first + 3], CoordinateRule);
    if (!l || !t || !r || !b) {
        return std::nullopt;
    }
    return Rect{*l, *t, *r, *b};
}

std::string JudgeText(const Judgement& judgement) {
    switch (judgement.judge) {
    case AreaJudge::CenterPoint:
        return "center";
    case AreaJudge::FootPoint:
        return "foot";
    case AreaJudge::Overlap:
        return "overlap:" + std::to_string(judgement.percent);
    case AreaJudge::None:
        break;
    }
    return "none";
}

std::optional<Judgement> ParseJudge(const std::string& text) {
    if (text == "none") {
        return Judgement{AreaJudge::None, DEFAULT_JUDGE_PERCENT};
    }
    if (text == "center") {
        return Judgement{AreaJudge::CenterPoint, DEFAULT_JUDGE_PERCENT};
    }
    if (text == "foot") {
        return Judgement{AreaJudge::FootPoint, DEFAULT_JUDGE_PERCENT};
    }
    if (text.rfind("overlap:", 0) == 0) {
        if (const auto percent = Number(text.substr(8), MIN_OVERLAP_PERCENT, MAX_OVERLAP_PERCENT)) {
            return Judgement{AreaJudge::Overlap, *percent};
        }
    }
    return std::nullopt;
}

// A slot edit "SLOT,clear" or "SLOT,L,T,R,B[,JUDGE]".
struct SlotEdit {
    int slot = 0;
    std::optional<Rect> rect; // nothing: clear
    Judgement judgement;
};

std::optional<SlotEdit> ParseSlotEdit(const std::string& text, int slots, bool withJudge) {
    const auto parts = Split(text, ',');
    if (parts.size() < 2) {
        return std::nullopt;
    }
    const auto slot = Number(parts[0], 0, slots - 1);
    if (!slot) {
        return std::nullopt;
    }
    if (parts.size() == 2 && parts[1] == "clear") {
        return SlotEdit{*slot, std::nullopt, {}};
    }
    const auto rect = ParseRect(parts, 1);
    if (!rect || parts.size() != (withJudge ? 6u : 5u)) {
        return std::nullopt;
    }
    SlotEdit edit{*slot, rect, {}};
    if (withJudge) {
        const auto judgement = ParseJudge(parts[5]);
        if (!judgement) {
            return std::nullopt;
        }
        edit.judgement = *judgement;
    }
    return edit;
}

// A backup holds the areas and masks; one that import would refuse must not come from a value set here.
std::string CheckRestorable(const Rect& rect, const std::string& arg) {
    for (const int edge : {rect.left, rect.top, rect.right, rect.bottom}) {
        if (edge == UnrestorableCoordinate) {
            return std::to_string(edge) + " cannot be restored from a settings file (coordinates are " +
                   RangeText(CoordinateRule) + ", except " + std::to_string(UnrestorableCoordinate) +
                   "): " + arg;
        }
    }
    return {};
}

// `backedUp`: the slots are part of a settings file (false-detection rectangles are not).
std::string CheckSlotEdits(const Args& args, int slots, bool withJudge, const char* form, bool backedUp) {
    if (args.empty()) {
        return std::string("needs at least one ") + form;
    }
    for (const std::string& arg : args) {
        const auto edit = ParseSlotEdit(arg, slots, withJudge);
        if (!edit) {
            return "not " + std::string(form) + ": " + arg;
        }
        if (edit->rect && backedUp) {
            if (std::string error = CheckRestorable(*edit->rect, arg); !error.empty()) {
                return error;
            }
        }
    }
    return {};
}

std::string CheckNumbers(const Args& args, std::size_t count, const SettingRule& rule) {
    if (args.size() != count) {
        return "needs " + std::to_string(count) + (count == 1 ? " value" : " values");
    }
    for (const std::string& arg : args) {
        if (!Number(arg, rule)) {
            return "not a number from " + RangeText(rule) + ": " + arg;
        }
    }
    return {};
}

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

const std::map<std::string, Setting>& Settings() {
    static const std::map<std::string, Setting> settings = {
        {"threshold",
         {"N (" + RangeText(ThresholdRule) + ")",
          [](DeviceSession& s, Printed& p) {
              std::uint16_t value = 0;
              const ResultCode result = GetThreshold(s, Timeout, value);
              p = {{std::to_string(value)}, std::to_string(value)};
              return result;
          },
          [](const Args& a) { return CheckNumbers(a, 1, ThresholdRule); },
          [](DeviceSession& s, const Args& a) {
              return SetThresholdVerified(s, static_cast<std::uint16_t>(*Number(a[0], ThresholdRule)));
          }}},
        {"sizemask",
         {"MIN MAX (" + RangeText(SizeRule) + ", MIN <= MAX)",
          [](DeviceSession& s, Printed& p) {
              SizeMask value;
              const ResultCode result = GetSizeMask(s, Timeout, value);
              p = {{std::to_string(value.minimum) + " " + std::to_string(value.maximum)},
                   "{\"min\": " + std::to_string(value.minimum) +
                       ", \"max\": " + std::to_string(value.maximum) + "}"};
              return result;
          },
          [](const Args& a) {
              std::string error = CheckNumbers(a, 2, SizeRule);
              return error.empty() && *Number(a[0], SizeRule) > *Number(a[1], SizeRule)
                         ? std::string("MIN must not exceed MAX")
                         : error;
          },
          [](DeviceSession& s, const Args& a) {
              return SetSizeMaskVerified(s, {static_cast<std::uint16_t>(*Number(a[0], SizeRule)),
                                             static_cast<std::uint16_t>(*Number(a[1], SizeRule))});
          }}},
        {"direction",
         {"0|1|2|3 (0, 90, 180, 270 degrees)",
          [](DeviceSession& s, Printed& p) {
              std::uint8_t value = 0;
              const ResultCode result = GetMountingDirection(s, Timeout, value);
              p = {{std::to_string(value)}, std::to_string(value)};
              return result;
          },
          [](const Args& a) { return CheckNumbers(a, 1, DirectionRule); },
          [](DeviceSession& s, const Args& a) {
              // As the camera page does: write, read the direction back, then both detection areas.
              std::uint8_t direction = 0;
              Rect area;
              ResultCode result =
                  SetMountingDirection(s, Timeout, static_cast<std::uint8_t>(*Number(a[0], DirectionRule)));
              result = result == RC_OK ? GetMountingDirection(s, Timeout, direction) : result;
              result = result == RC_OK ? GetHumanDetectionArea(s, Timeout, area) : result;
              return result == RC_OK ? GetMotionDetectionArea(s, Timeout, area) : result;
          }}},
        {"mode",
         {"N (" + RangeText(ByteRule) + ", as the mode list names it)",
          [](DeviceSession& s, Printed& p) {
              std::uint8_t value = 0;
              const ResultCode result = GetOperatingMode(s, Timeout, value);
              p = {{std::to_string(value)}, std::to_string(value)};
              return result;
          },
          [](const Args& a) { return CheckNumbers(a, 1, ByteRule); },
          [](DeviceSession& s, const Args& a) {
              return SetOperatingModeVerified(s, static_cast<std::uint8_t>(*Number(a[0], ByteRule)));
          }}},
        {"usb-timeouts",
         {"SEND RECV (milliseconds, " + RangeText(WordRule) + ")",
          [](DeviceSession& s, Printed& p) {
              std::uint16_t send = 0;
              std::uint16_t receive = 0;
              ResultCode result = GetUsbSendTimeout(s, Timeout, send);
              result = result == RC_OK ? GetUsbReceiveTimeout(s, Timeout, receive) : result;
              p = {{std::to_string(send) + " " + std::to_string(receive)},
                   "{\"send\": " + std::to_string(send) + ", \"receive\": " + std::to_string(receive) + "}"};
              return result;
          },
          [](const Args& a) { return CheckNumbers(a, 2, WordRule); },
          [](DeviceSession& s, const Args& a) {
              return SetUsbTimeoutsVerified(s, static_cast<std::uint16_t>(*Number(a[0], WordRule)),
                                            static_cast<std::uint16_t>(*Number(a[1], WordRule)));
          }}},
        {"area-masks",
         {"SLOT,LEFT,TOP,RIGHT,BOTTOM,JUDGE | SLOT,clear ... (SLOT 0-15; JUDGE "
          "none|center|foot|overlap:1-100)",
          [](DeviceSession& s, Printed& p) {
              std::vector<CAreaMaskArea> masks;
              const ResultCode result = ReadAreaMasks(s, masks);
              p.json = "[";
              for (const CAreaMaskArea& m : masks) {
                  p.lines.push_back(std::to_string(m.GetNumber()) + " " + RectText(m.GetRect()) + " " +
                                    JudgeText(m.GetJudgement()));
                  p.json += (p.json.size() > 1 ? ", " : "") + std::string("{\"slot\": ") +
                            std::to_string(m.GetNumber()) + ", \"rect\": " + RectJson(m.GetRect()) +
                            ", \"judge\": " + JsonString(JudgeText(m.GetJudgement())) + "}";
              }
              p.json += "]";
              return result;
          },
          [](const Args& a) {
              return CheckSlotEdits(a, AREA_MASK_SLOTS, true, "SLOT,LEFT,TOP,RIGHT,BOTTOM,JUDGE", true);
          },
          [](DeviceSession& s, const Args& a) {
              std::vector<CAreaMaskArea> masks;
              if (const ResultCode result = ReadAreaMasks(s, masks); result != RC_OK) {
                  return result;
              }
              for (const std::string& arg : a) {
                  const SlotEdit edit = *ParseSlotEdit(arg, AREA_MASK_SLOTS, true);
                  CAreaMaskArea& mask = masks[static_cast<std::size_t>(edit.slot)];
                  if (edit.rect) {
                      mask.SetRect(*edit.rect);
                      mask.SetJudgement(edit.judgement);
                  } else {
                      mask.Clear();
                  }
              }
              return ApplyAreaMasks(s, masks);
          }}},
        {"motion-masks",
         {"SLOT,LEFT,TOP,RIGHT,BOTTOM | SLOT,clear ... (SLOT 0-15)",
          [](DeviceSession& s, Printed& p) {
              std::vector<CTevoArea> masks;
              const ResultCode result = ReadMotionMasks(s, masks);
              p.json = "[";
              for (const CTevoArea& m : masks) {
                  p.lines.push_back(std::to_string(m.GetNumber()) + " " + RectText(m.GetRect()));
                  p.json += (p.json.size() > 1 ? ", " : "") + std::string("{\"slot\": ") +
                            std::to_string(m.GetNumber()) + ", \"rect\": " + RectJson(m.GetRect()) + "}";
              }
              p.json += "]";
              return result;
          },
          [](const Args& a) {
              return CheckSlotEdits(a, MOTION_MASK_SLOTS, false, "SLOT,LEFT,TOP,RIGHT,BOTTOM", true);
          },
          [](DeviceSession& s, const Args& a) {
              std::vector<CTevoArea> masks;
              if (const ResultCode result = ReadMotionMasks(s, masks); result != RC_OK) {
                  return result;
              }
              for (const std::string& arg : a) {
                  const SlotEdit edit = *ParseSlotEdit(arg, MOTION_MASK_SLOTS, false);
                  masks[static_cast<std::size_t>(edit.slot)].SetRect(edit.rect.value_or(UNSET_RECT));
              }
              return ApplyMotionMasks(s, masks);
          }}},
        {"false-rects",
         {"SLOT,LEFT,TOP,RIGHT,BOTTOM | SLOT,clear ... (SLOT 0-9)",
          [](DeviceSession& s, Printed& p) {
              std::vector<CFalseRectArea> rects;
              const ResultCode result = ReadFalseRects(s, rects);
              p.json = "[";
              for (const CFalseRectArea& r : rects) {
                  p.lines.push_back(std::to_string(r.GetNumber()) + " " + RectText(r.GetRect()));
                  p.json += (p.json.size() > 1 ? ", " : "") + std::string("{\"slot\": ") +
                            std::to_string(r.GetNumber()) + ", \"rect\": " + RectJson(r.GetRect()) + "}";
              }
              p.json += "]";
              return result;
          },
          [](const Args& a) {
              return CheckSlotEdits(a, FALSE_RECT_SLOTS, false, "SLOT,LEFT,TOP,RIGHT,BOTTOM", false);
          },
          [](DeviceSession& s, const Args& a) {
              std::vector<CFalseRectArea> rects;
              if (const ResultCode result = ReadFalseRects(s, rects); result != RC_OK) {
                  return result;
              }
              for (const std::string& arg : a) {
                  const SlotEdit edit = *ParseSlotEdit(arg, FALSE_RECT_SLOTS, false);
                  CFalseRectArea& rect = rects[static_cast<std::size_t>(edit.slot)];
                  if (edit.rect) {
                      rect.MarkAdded(*edit.rect);
                  } else {
                      rect.Clear();
                  }
              }
              return ApplyFalseRects(s, rects);
          }}},
        {"areas",
         {"human|motion LEFT TOP RIGHT BOTTOM  (-1 -1 -1 -1: the whole frame)",
          [](DeviceSession& s, Printed& p) {
              Rect human;
              Rect motion;
              ResultCode result = GetHumanDetectionArea(s, Timeout, human);
              result = result == RC_OK ? GetMotionDetectionArea(s, Timeout, motion) : result;
              p = {{"human " + RectText(human), "motion " + RectText(motion)},
                   "{\"human\": " + RectJson(human) + ", \"motion\": " + RectJson(motion) + "}"};
              return result;
          },
          [](const Args& a) {
              if (a.size() != 5 || (a[0] != "human" && a[0] != "motion") || !ParseRect(a, 1)) {
                  return std::string("needs human|motion and four coordinates");
              }
              return CheckRestorable(*ParseRect(a, 1), a[1] + " " + a[2] + " " + a[3] + " " + a[4]);
          },
          [](DeviceSession& s, const Args& a) {
              const Rect rect = *ParseRect(a, 1);
              return a[0] == "human" ? SetHumanDetectionAreaVerified(s, rect)
                                     : SetMotionDetectionAreaVerified(s, rect);
          }}},
        {"info-text",
         {"TEXT (at most 20 bytes in the sensor's character set)",
          [](DeviceSession& s, Printed& p) {
              std::string text;
              const ResultCode result = GetDeviceInfoText(s, Timeout, text);
              p = {{PrintableText(text)}, JsonString(PrintableText(text))};
              return result;
          },
          [](const Args& a) {
              if (a.size() != 1) {
                  return std::string("needs one TEXT");
              }
              if (a[0].find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
                  return "a line break or a zero byte cannot be stored: " + PrintableText(a[0]);
              }
              if (a[0] == UnrestorableDeviceInfo) {
                  return "the text " + a[0] + " cannot be restored from a settings file";
              }
              const auto cp932 = Utf8ToCp932(a[0]);
              if (!cp932) {
                  return "cannot be stored by the sensor: " + PrintableText(a[0]);
              }
              return cp932->size() > DeviceInfoTextSize ? "longer than 20 bytes: " + a[0] : std::string();
          },
          [](DeviceSession& s, const Args& a) {
              return command::WriteAndVerify(s, a[0], SetDeviceInfoText, GetDeviceInfoText);
          }}},
        {"others",
         {"KEY=VALUE ... (KEY Other01-Other07, Other27, Other28)",
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
              const Others wanted{static_cast<std::uint16_t>(values["Other01"]),
                                  {static_cast<std::uint8_t>(values["Other02"]),
                                   static_cast<std::uint8_t>(values["Other03"]),
                                   static_cast<std::uint16_t>(values["Other04"]),
                                   static_cast<std::uint8_t>(values["Other05"]),
                                   static_cast<std::uint8_t>(values["Other06"])},
                                  static_cast<std::uint8_t>(values["Other07"]),
                                  {static_cast<std::uint8_t>(values["Other27"]),
                                   static_cast<std::uint8_t>(values["Other28"])}};
              ResultCode result = command::WriteAndVerify(s, wanted.other01, SetOther01, GetOther01);
              result = result == RC_OK
                           ? command::WriteAndVerify(s, wanted.other02To06, SetOther02To06, GetOther02To06)
                           : result;
              result = result == RC_OK ? command::WriteAndVerify(s, wanted.other07, SetOther07, GetOther07)
                                       : result;
              return result == RC_OK
                         ? command::WriteAndVerify(s, wanted.other27To28, SetOther27To28, GetOther27To28)
                         : result;
          }}},
    };
    return settings;
}

std::string SettingsHelp(const char* verb) {
    std::string text = std::string("usage: orloctl CONNECTION ") + verb + " NAME" +
                       (std::string(verb) == "set" ? " VALUES" : "") + "\nNames";
    text += std::string(verb) == "set" ? " and values:\n" : ":\n";
    for (const auto& [name, setting] : Settings()) {
        text +=
            "  " + name + (std::string(verb) == "set" ? "  " + std::string(setting.valuesHelp) : "") + "\n";
    }
    return text;
}

} // namespace

int RunGet(const CommandContext& context) {
    if (context.options.help) {
        context.out << SettingsHelp("get");
        return EXIT_OK;
    }
    const Args& args = context.options.arguments;
    if (args.size() != 1) {
        return context.UsageFailure("get needs exactly one NAME");
    }
    const auto found = Settings().find(args[0]);
    if (found == Settings().end()) {
        return context.UsageFailure("unknown setting: " + args[0]);
    }
    DeviceSession session(context.options.directory, context.LogSwitch());
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    Printed printed;
    if (const ResultCode result = found->second.get(session, printed); result != RC_OK) {
        return context.DeviceFailure(result);
    }
    if (context.options.json) {
        context.out << "{" << JsonString(args[0]) << ": " << printed.json << "}\n";
    } else {
        for (const std::string& line : printed.lines) {
            context.out << line << '\n';
        }
    }
    return EXIT_OK;
}

int RunSet(const CommandContext& context) {
    if (context.options.help) {
        context.out << SettingsHelp("set");
        return EXIT_OK;
    }
    const Args& args = context.options.arguments;
    if (args.empty()) {
        return context.UsageFailure("set needs a NAME and VALUES");
    }
    const auto found = Settings().find(args[0]);
    if (found == Settings().end()) {
        return context.UsageFailure("unknown setting: " + args[0]);
    }
    const Args values(args.begin() + 1, args.end());
    if (const std::string error = found->second.check(values); !error.empty()) {
        return context.UsageFailure("set " + args[0] + ": " + error);
    }
    DeviceSession session(context.options.directory, context.LogSwitch());
    int status = EXIT_OK;
    if (!context.Connect(session, status)) {
        return status;
    }
    const ResultCode result = found->second.set(session, values);
    return result == RC_OK ? EXIT_OK : context.DeviceFailure(result);
}

} // namespace orlo::cli
