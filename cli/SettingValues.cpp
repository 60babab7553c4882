#include "cli/SettingValues.h"

#include "cli/CommandLine.h"
#include "core/settingsfile/SettingsFile.h"

#include <sstream>

namespace orlo::cli {

std::optional<int> Number(const std::string& text, long long minimum, long long maximum) {
    const auto value = ParseInteger(text, minimum, maximum);
    return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

std::optional<int> Number(const std::string& text, const SettingRule& rule) {
    return Number(text, rule.minimum, rule.maximum);
}

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

} // namespace orlo::cli
