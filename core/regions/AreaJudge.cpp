#include "core/regions/AreaJudge.h"

#include <algorithm>

namespace orlo {

bool SameJudgement(const Judgement& a, const Judgement& b) {
    if (a.judge != b.judge) {
        return false;
    }
    return a.judge != AreaJudge::Overlap || a.percent == b.percent;
}

std::uint8_t EncodeJudgeByte(const Judgement& judgement) {
    switch (judgement.judge) {
    case AreaJudge::CenterPoint:
        return JUDGE_BYTE_CENTER_POINT;
    case AreaJudge::FootPoint:
        return JUDGE_BYTE_FOOT_POINT;
    case AreaJudge::Overlap:
        return static_cast<std::uint8_t>(
            std::clamp(judgement.percent, MIN_OVERLAP_PERCENT, MAX_OVERLAP_PERCENT));
    case AreaJudge::None:
        break;
    }
    return JUDGE_BYTE_NONE;
}

Judgement DecodeJudgeByte(std::uint8_t byte) {
    if (byte == JUDGE_BYTE_CENTER_POINT) {
        return {AreaJudge::CenterPoint, DEFAULT_JUDGE_PERCENT};
    }
    if (byte == JUDGE_BYTE_FOOT_POINT) {
        return {AreaJudge::FootPoint, DEFAULT_JUDGE_PERCENT};
    }
    if (byte >= MIN_OVERLAP_PERCENT && byte <= MAX_OVERLAP_PERCENT) {
        return {AreaJudge::Overlap, byte};
    }
    return {AreaJudge::None, DEFAULT_JUDGE_PERCENT};
}

bool IsJudgeByte(std::uint8_t byte) {
    return EncodeJudgeByte(DecodeJudgeByte(byte)) == byte;
}

} // namespace orlo
