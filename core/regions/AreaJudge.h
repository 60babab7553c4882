#pragma once

#include <cstdint>

namespace orlo {

// How the sensor decides that a detection falls into an area mask.
enum class AreaJudge : std::int32_t {
    None = -1,
    CenterPoint = 0,
    FootPoint = 1,
    Overlap = 2,
};

inline constexpr std::int32_t DEFAULT_JUDGE_PERCENT = 50;
inline constexpr std::int32_t MIN_OVERLAP_PERCENT = 1;
inline constexpr std::int32_t MAX_OVERLAP_PERCENT = 100;

inline constexpr std::uint8_t JUDGE_BYTE_NONE = 0xFF;
inline constexpr std::uint8_t JUDGE_BYTE_CENTER_POINT = 0x80;
inline constexpr std::uint8_t JUDGE_BYTE_FOOT_POINT = 0x90;

struct Judgement {
    AreaJudge judge = AreaJudge::None;
    std::int32_t percent = DEFAULT_JUDGE_PERCENT;
    friend bool operator==(const Judgement&, const Judgement&) = default;
};

// The percentage only counts for Overlap; for the other judges it is not sent to the sensor.
bool SameJudgement(const Judgement& a, const Judgement& b);

// The byte the sensor stores. An Overlap percentage is limited to 1..100 first: its low byte alone
// could otherwise read back as another judge (128 as CenterPoint) or as no valid judge at all.
std::uint8_t EncodeJudgeByte(const Judgement& judgement);

// Any byte other than 0x80, 0x90, 0xFF and 1..100 reads as None with the default percentage.
Judgement DecodeJudgeByte(std::uint8_t byte);
// True for the bytes that name a judge: 0x80, 0x90, 0xFF and 1..100.
bool IsJudgeByte(std::uint8_t byte);

} // namespace orlo
