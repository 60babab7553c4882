#pragma once

#include "core/regions/AreaJudge.h"
#include "core/regions/Geometry.h"

#include <cstdint>
#include <vector>

namespace orlo {

// Slots the sensor holds of each kind; a collection always has exactly this many records.
inline constexpr int AREA_MASK_SLOTS = 16;
inline constexpr int MOTION_MASK_SLOTS = 16;
inline constexpr int FALSE_RECT_SLOTS = 10;
inline constexpr int DETECTION_AREA_COUNT = 2;
inline constexpr int HUMAN_DETECTION_AREA = 0;
inline constexpr int MOTION_DETECTION_AREA = 1;

// A region on the sensor: its slot number and rectangle in sensor coordinates. Motion masks use it
// as it is. A new record holds no region.
class CTevoArea {
public:
    CTevoArea() = default;
    CTevoArea(std::int32_t number, const Rect& rect);
    CTevoArea(const CTevoArea&) = default;
    CTevoArea& operator=(const CTevoArea&) = default;
    virtual ~CTevoArea() = default;

    virtual void SetNumber(std::int32_t number);
    virtual std::int32_t GetNumber() const;
    virtual void SetRect(const Rect& rect);
    virtual Rect GetRect() const;
    // Empties the slot; the number stays.
    virtual void Clear();
    virtual bool IsSet() const;

protected:
    std::int32_t number_ = 0;
    Rect rect_ = UNSET_RECT;
};

class CAreaMaskArea : public CTevoArea {
public:
    CAreaMaskArea() = default;
    CAreaMaskArea(std::int32_t number, const Rect& rect, const Judgement& judgement);

    void Clear() override;

    AreaJudge GetJudge() const { return judgement_.judge; }
    void SetJudge(AreaJudge judge) { judgement_.judge = judge; }
    std::int32_t GetPercent() const { return judgement_.percent; }
    void SetPercent(std::int32_t percent) { judgement_.percent = percent; }
    Judgement GetJudgement() const { return judgement_; }
    void SetJudgement(const Judgement& judgement) { judgement_ = judgement; }

    std::uint8_t JudgeByte() const { return EncodeJudgeByte(judgement_); }
    void SetJudgeByte(std::uint8_t byte) { judgement_ = DecodeJudgeByte(byte); }

private:
    Judgement judgement_;
};

enum class FalseRectState : std::int32_t {
    Stored = 0,  // as on the sensor
    Added = 1,   // registered in the editor, not yet written
    Removed = 2, // cleared in the editor, removal not yet written
};

class CFalseRectArea : public CTevoArea {
public:
    CFalseRectArea() = default;
    CFalseRectArea(std::int32_t number, const Rect& rect, FalseRectState state);

    // A rectangle set this way is the one the sensor holds.
    void SetRect(const Rect& rect) override;
    void Clear() override;

    // Registers a new rectangle that still has to be written to the sensor.
    void MarkAdded(const Rect& rect);
    FalseRectState GetState() const { return state_; }
    // Only changed records are sent; a removed one goes out as the unset rectangle.
    bool NeedsWrite() const { return state_ != FalseRectState::Stored; }

private:
    FalseRectState state_ = FalseRectState::Stored;
};

// Number and rectangle equal: what a read-back must show for every region kind.
bool SameRegion(const CTevoArea& a, const CTevoArea& b);
// Number, rectangle and state equal: the same record of an editing session.
inline bool operator==(const CFalseRectArea& a, const CFalseRectArea& b) {
    return SameRegion(a, b) && a.GetState() == b.GetState();
}
// SameRegion plus the judgement (the percentage only for Overlap).
bool SameAreaMask(const CAreaMaskArea& a, const CAreaMaskArea& b);

// The slot a new region goes into, or -1 when every slot is in use.
template <typename Record>
int FirstFreeSlot(const std::vector<Record>& records) {
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!records[i].IsSet()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// A collection with exactly slotCount records: missing slots are added empty with their slot number,
// records beyond the last slot are dropped.
template <typename Record>
std::vector<Record> CompleteSlots(std::vector<Record> records, int slotCount) {
    const auto count = static_cast<std::size_t>(slotCount);
    for (std::size_t i = records.size(); i < count; ++i) {
        Record record;
        record.SetNumber(static_cast<std::int32_t>(i));
        records.push_back(record);
    }
    records.resize(count);
    return records;
}

} // namespace orlo
