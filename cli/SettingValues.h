#pragma once

#include "core/regions/AreaJudge.h"
#include "core/regions/Geometry.h"
#include "core/settingsfile/SettingRules.h"

#include <optional>
#include <string>
#include <vector>

namespace orlo::cli {

using Args = std::vector<std::string>;

// The values `get` and `set` read and write, as text: parsing, checking and printing.

std::optional<int> Number(const std::string& text, long long minimum, long long maximum);
std::optional<int> Number(const std::string& text, const SettingRule& rule);
// "1 to 1000" for the help and the messages.
std::string RangeText(const SettingRule& rule);
std::vector<std::string> Split(const std::string& text, char separator);
std::string RectText(const Rect& r);
std::string RectJson(const Rect& r);
std::optional<Rect> ParseRect(const std::vector<std::string>& parts, std::size_t first);
std::string JudgeText(const Judgement& judgement);
std::optional<Judgement> ParseJudge(const std::string& text);

// A slot edit "SLOT,clear" or "SLOT,L,T,R,B[,JUDGE]".
struct SlotEdit {
    int slot = 0;
    std::optional<Rect> rect; // nothing: clear
    Judgement judgement;
};
std::optional<SlotEdit> ParseSlotEdit(const std::string& text, int slots, bool withJudge);

// A backup holds the areas and masks; one that import would refuse must not come from a value set here.
std::string CheckRestorable(const Rect& rect, const std::string& arg);
// `backedUp`: the slots are part of a settings file (false-detection rectangles are not).
std::string CheckSlotEdits(const Args& args, int slots, bool withJudge, const char* form, bool backedUp);
// `count` numbers within `rule`; the error text or empty.
std::string CheckNumbers(const Args& args, std::size_t count, const SettingRule& rule);

} // namespace orlo::cli
