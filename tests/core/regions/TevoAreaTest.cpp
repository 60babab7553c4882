#include "core/regions/TevoArea.h"

#include <gtest/gtest.h>
#include <vector>

namespace orlo {
namespace {

TEST(Regions, OnlyTheExactUnsetRectangleIsUnset) {
    CTevoArea area;
    EXPECT_FALSE(area.IsSet());
    area.SetRect({-1, -1, -1, 0});
    EXPECT_TRUE(area.IsSet());
    area.SetRect({0, -1, -1, -1});
    EXPECT_TRUE(area.IsSet());
    area.SetRect({0, 0, 0, 0});
    EXPECT_TRUE(area.IsSet());
    area.SetNumber(7);
    area.Clear();
    EXPECT_FALSE(area.IsSet());
    EXPECT_EQ(area.GetRect(), UNSET_RECT);
    EXPECT_EQ(area.GetNumber(), 7);
}

TEST(Regions, AreaMaskClearResetsTheJudgementAndKeepsTheNumber) {
    CAreaMaskArea mask(4, {10, 20, 30, 40}, {AreaJudge::Overlap, 80});
    CTevoArea& asBase = mask;
    asBase.Clear();
    EXPECT_FALSE(mask.IsSet());
    EXPECT_EQ(mask.GetJudge(), AreaJudge::None);
    EXPECT_EQ(mask.GetPercent(), 50);
    EXPECT_EQ(mask.GetNumber(), 4);
}

TEST(Regions, FalseRectStates) {
    CFalseRectArea rect(2, UNSET_RECT, FalseRectState::Removed);
    CTevoArea& asBase = rect;
    asBase.SetRect({1, 2, 3, 4});
    EXPECT_EQ(rect.GetState(), FalseRectState::Stored);
    EXPECT_FALSE(rect.NeedsWrite());

    asBase.Clear();
    EXPECT_EQ(rect.GetState(), FalseRectState::Removed);
    EXPECT_EQ(rect.GetRect(), UNSET_RECT);
    EXPECT_TRUE(rect.NeedsWrite());

    rect.MarkAdded({5, 6, 7, 8});
    EXPECT_EQ(rect.GetState(), FalseRectState::Added);
    EXPECT_EQ(rect.GetRect(), (Rect{5, 6, 7, 8}));
    EXPECT_TRUE(rect.NeedsWrite());
    EXPECT_EQ(rect.GetNumber(), 2);
}

TEST(Regions, NewRegionsFillTheFirstFreeSlot) {
    std::vector<CAreaMaskArea> masks;
    for (int slot = 0; slot < AREA_MASK_SLOTS; ++slot) {
        masks.emplace_back(slot, Rect{slot, slot, slot + 10, slot + 10},
                           Judgement{AreaJudge::CenterPoint, 50});
    }
    EXPECT_EQ(FirstFreeSlot(masks), -1);
    masks[9].Clear();
    masks[3].Clear();
    EXPECT_EQ(FirstFreeSlot(masks), 3);
    EXPECT_EQ(masks.size(), static_cast<std::size_t>(AREA_MASK_SLOTS));

    std::vector<CFalseRectArea> rects(FALSE_RECT_SLOTS);
    EXPECT_EQ(FirstFreeSlot(rects), 0);
}

TEST(JudgeByte, DecodesEveryKnownByte) {
    EXPECT_EQ(DecodeJudgeByte(0x80), (Judgement{AreaJudge::CenterPoint, 50}));
    EXPECT_EQ(DecodeJudgeByte(0x90), (Judgement{AreaJudge::FootPoint, 50}));
    EXPECT_EQ(DecodeJudgeByte(0xFF), (Judgement{AreaJudge::None, 50}));
    EXPECT_EQ(DecodeJudgeByte(37), (Judgement{AreaJudge::Overlap, 37}));
    EXPECT_EQ(DecodeJudgeByte(1), (Judgement{AreaJudge::Overlap, 1}));
    EXPECT_EQ(DecodeJudgeByte(100), (Judgement{AreaJudge::Overlap, 100}));
}

TEST(JudgeByte, Encodes) {
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::None, 50}), 0xFF);
    // The percentage of the point judges is not sent.
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::CenterPoint, 35}), 0x80);
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::FootPoint, 50}), 0x90);
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::Overlap, 35}), 0x23);
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::Overlap, 100}), 100);
    EXPECT_EQ(EncodeJudgeByte({static_cast<AreaJudge>(9), 50}), 0xFF);
}

TEST(JudgeByte, OverlapPercentOutsideItsRangeNeverBecomesAnotherJudge) {
    // The low byte of 128 would be the centre-point byte, of 0 no valid judge at all.
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::Overlap, 128}), 100);
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::Overlap, 0x190}), 100);
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::Overlap, 0}), 1);
    EXPECT_EQ(EncodeJudgeByte({AreaJudge::Overlap, -5}), 1);
}

TEST(JudgeByte, RoundTripsThroughTheRecord) {
    CAreaMaskArea mask;
    for (int byte = 0; byte < 256; ++byte) {
        mask.SetJudgeByte(static_cast<std::uint8_t>(byte));
        const Judgement read = mask.GetJudgement();
        const bool known = byte == 0x80 || byte == 0x90 || byte == 0xFF || (byte >= 1 && byte <= 100);
        // What was decoded encodes back to the same byte; unknown bytes read as "none", 50 %.
        EXPECT_EQ(mask.JudgeByte(), known ? byte : 0xFF) << byte;
        if (!known) {
            EXPECT_EQ(read, (Judgement{AreaJudge::None, 50})) << byte;
        }
        EXPECT_EQ(DecodeJudgeByte(EncodeJudgeByte(read)), read) << byte;
    }
}

TEST(ReadBack, ComparesThePercentOnlyForOverlap) {
    const CAreaMaskArea written(3, {10, 10, 100, 100}, {AreaJudge::CenterPoint, 70});
    CAreaMaskArea readBack(3, {10, 10, 100, 100}, {});
    readBack.SetJudgeByte(written.JudgeByte());
    EXPECT_TRUE(SameAreaMask(written, readBack));

    const CAreaMaskArea overlap(3, {10, 10, 100, 100}, {AreaJudge::Overlap, 35});
    readBack.SetJudgeByte(0x24);
    EXPECT_FALSE(SameAreaMask(overlap, readBack));
    readBack.SetJudgeByte(0x23);
    EXPECT_TRUE(SameAreaMask(overlap, readBack));

    // The sensor stored a different edge.
    const CTevoArea sent(1, {10, 10, 100, 101});
    const CTevoArea stored(1, {10, 10, 100, 100});
    EXPECT_FALSE(SameRegion(sent, stored));
    EXPECT_FALSE(SameRegion(CTevoArea(1, {0, 0, 5, 5}), CTevoArea(2, {0, 0, 5, 5})));
}

} // namespace
} // namespace orlo
