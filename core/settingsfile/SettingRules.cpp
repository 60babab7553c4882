#include "core/settingsfile/SettingRules.h"

#include "core/regions/AreaJudge.h"

namespace orlo {

bool SettingRule::Allows(std::int64_t value) const {
    return value >= minimum && value <= maximum &&
           (!judgeByte || IsJudgeByte(static_cast<std::uint8_t>(value)));
}

std::string SettingRule::Describe() const {
    if (judgeByte) {
        return std::to_string(MIN_OVERLAP_PERCENT) + ".." + std::to_string(MAX_OVERLAP_PERCENT) + ", " +
               std::to_string(JUDGE_BYTE_CENTER_POINT) + ", " + std::to_string(JUDGE_BYTE_FOOT_POINT) + ", " +
               std::to_string(JUDGE_BYTE_NONE);
    }
    return std::to_string(minimum) + ".." + std::to_string(maximum);
}

} // namespace orlo
