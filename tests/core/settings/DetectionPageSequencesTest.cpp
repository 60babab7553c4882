#include "core/settings/DetectionSettings.h"
#include "tests/core/settings/FakeSensorTest.h"
#include "tests/support/DetectionCodes.h"

#include <functional>

namespace orlo {
namespace {

using test::Concat;
using test::DETECTION_APPLY;
using test::DETECTION_LOAD;
using test::Repeated;
using Codes = test::Codes;
using Bytes = std::vector<std::uint8_t>;

// What the fake sensor holds as the page would read it.
DetectionValues FactoryValues() {
    DetectionValues values;
    values.threshold = 500;
    values.sizeMinimum = 20;
    values.sizeMaximum = 1600;
    values.areaMasks = CompleteSlots(std::vector<CAreaMaskArea>{}, AREA_MASK_SLOTS);
    values.falseRects = CompleteSlots(std::vector<CFalseRectArea>{}, FALSE_RECT_SLOTS);
    values.motionMasks = CompleteSlots(std::vector<CTevoArea>{}, MOTION_MASK_SLOTS);
    values.humanArea = {100, 200, 300, 400};
    values.motionArea = UNSET_RECT;
    return values;
}

using DetectionPageSequencesTest = test::FakeSensorTest;

TEST_F(DetectionPageSequencesTest, LoadReadsEverySettingInOrderThenThePicture) {
    sensor.threshold = 321;
    sensor.sizeMinimum = 30;
    sensor.sizeMaximum = 900;
    sensor.areaMasks[2] = {{10, 20, 300, 400}, 35};
    sensor.areaMasks[3] = {{50, 60, 70, 80}, 0x90};
    sensor.falseRects[1] = {5, 6, 70, 80};
    sensor.motionMasks[15] = {1, 2, 1599, 1199};
    sensor.humanArea = {0, 0, 800, 600};
    sensor.motionArea = {-1, -1, -1, -1};
    DetectionLoad load;
    ASSERT_EQ(RC_OK, LoadDetectionValues(session, load));
    EXPECT_EQ(DETECTION_LOAD, sensor.Codes());
    // The picture request: no function, 320 x 240.
    EXPECT_EQ((Bytes{0x00, 0x00, 0x01}), sensor.LastPayload(0x03));

    const DetectionValues& v = load.values;
    EXPECT_EQ(321, v.threshold);
    EXPECT_EQ(30, v.sizeMinimum);
    EXPECT_EQ(900, v.sizeMaximum);
    ASSERT_EQ(16U, v.areaMasks.size());
    EXPECT_EQ(2, v.areaMasks[2].GetNumber());
    EXPECT_EQ((Rect{10, 20, 300, 400}), v.areaMasks[2].GetRect());
    EXPECT_EQ((Judgement{AreaJudge::Overlap, 35}), v.areaMasks[2].GetJudgement());
    EXPECT_EQ(AreaJudge::FootPoint, v.areaMasks[3].GetJudge());
    EXPECT_FALSE(v.areaMasks[0].IsSet());
    ASSERT_EQ(10U, v.falseRects.size());
    EXPECT_EQ((Rect{5, 6, 70, 80}), v.falseRects[1].GetRect());
    EXPECT_EQ(FalseRectState::Stored, v.falseRects[1].GetState());
    ASSERT_EQ(16U, v.motionMasks.size());
    EXPECT_EQ((Rect{1, 2, 1599, 1199}), v.motionMasks[15].GetRect());
    EXPECT_EQ((Rect{0, 0, 800, 600}), v.humanArea);
    EXPECT_EQ(UNSET_RECT, v.motionArea);
    EXPECT_EQ(v.humanArea, session.DetectionAreaCache()[0]);
    EXPECT_EQ(UNSET_RECT, session.DetectionAreaCache()[1]);
    EXPECT_EQ(320, load.picture.Width());
    EXPECT_EQ(240, load.picture.Height());
    EXPECT_FALSE(load.settingsAbnormal);
}

TEST_F(DetectionPageSequencesTest, APictureFailureDoesNotFailTheLoadAndStatus50MarksItAbnormal) {
    struct Case {
        std::uint8_t status;
        bool abnormal;
    };
    // 0xB0 fails with -176, whose low byte is 0x50 as well.
    for (const Case c : {Case{0x50, true}, Case{0xB0, true}, Case{0xF3, false}, Case{0x51, false}}) {
        sensor.status[0x03] = c.status;
        DetectionLoad load;
        ASSERT_EQ(RC_OK, LoadDetectionValues(session, load)) << int(c.status);
        EXPECT_EQ(c.abnormal, load.settingsAbnormal) << int(c.status);
        EXPECT_FALSE(load.picture.HasPixels());
        EXPECT_EQ(500, load.values.threshold);
    }
    sensor.status.clear();
    sensor.silent = {0x03};
    DetectionLoad load;
    EXPECT_EQ(RC_OK, LoadDetectionValues(session, load));
    EXPECT_FALSE(load.settingsAbnormal);
}

TEST_F(DetectionPageSequencesTest, AFailedLoadStopsAtOnceAndLeavesWhatItWasGiven) {
    DetectionLoad before;
    before.values.threshold = 77;
    before.settingsAbnormal = true;

    DetectionLoad load = before;
    sensor.silent = {0x68};
    EXPECT_EQ(RC_TIMEOUT, LoadDetectionValues(session, load));
    EXPECT_EQ(Concat({{0x06, 0x08}, Repeated(0x62, 16), {0x68}}), sensor.Codes());
    EXPECT_EQ(77, load.values.threshold);
    EXPECT_TRUE(load.values.areaMasks.empty());
    EXPECT_TRUE(load.settingsAbnormal);

    sensor.silent.clear();
    sensor.ClearCodes();
    link.QueueResponse(test::ResponseFrame(0x00, {0x01, 0x02})); // a threshold without its padding
    EXPECT_EQ(RC_SHORT_RESPONSE, LoadDetectionValues(session, load));
    EXPECT_EQ((Codes{0x06}), sensor.Codes());

    sensor.ClearCodes();
    sensor.status[0x79] = 0x50;
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, LoadDetectionValues(session, load));
    EXPECT_EQ(77, load.values.threshold);

    sensor.ClearCodes();
    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, LoadDetectionValues(session, load));
    EXPECT_TRUE(sensor.Codes().empty());
}

TEST_F(DetectionPageSequencesTest, ApplyWritesInTheSensorsOrderAndReadsEachBack) {
    DetectionValues values = FactoryValues();
    values.threshold = 1;
    values.sizeMinimum = 400;
    values.sizeMaximum = 400;
    values.areaMasks[4] = CAreaMaskArea(4, {100, 110, 500, 510}, {AreaJudge::Overlap, 35});
    values.motionMasks[0].SetRect({0, 0, 10, 10});
    values.humanArea = {10, 20, 1590, 1190};
    values.motionArea = {0, 0, 800, 600};
    ASSERT_EQ(RC_OK, ApplyDetectionValues(session, values));
    EXPECT_EQ(DETECTION_APPLY, sensor.Codes());
    EXPECT_EQ((Bytes{0x01, 0x00, 0, 0, 0, 0, 0, 0}), sensor.LastPayload(0x05));
    EXPECT_EQ((Bytes{0x90, 0x01, 0x90, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}), sensor.LastPayload(0x07));
    EXPECT_EQ(1, sensor.threshold);
    EXPECT_EQ(35, sensor.areaMasks[4].judge);
    EXPECT_EQ((test::FakeSensor::Edges{100, 110, 500, 510}), sensor.areaMasks[4].rect);
    EXPECT_EQ((test::FakeSensor::Edges{0, 0, 10, 10}), sensor.motionMasks[0]);
    EXPECT_EQ((test::FakeSensor::Edges{10, 20, 1590, 1190}), sensor.humanArea);
    EXPECT_EQ((Rect{0, 0, 800, 600}), session.DetectionAreaCache()[1]);
}

TEST_F(DetectionPageSequencesTest, OnlyChangedFalseDetectionRectanglesAreWritten) {
    sensor.falseRects[3] = {1, 2, 3, 4};
    DetectionValues values = FactoryValues();
    values.falseRects[3] = CFalseRectArea(3, {1, 2, 3, 4}, FalseRectState::Stored);
    values.falseRects[3].Clear();
    values.falseRects[7].MarkAdded({40, 50, 60, 70});
    ASSERT_EQ(RC_OK, ApplyDetectionValues(session, values));
    Codes writes;
    for (const std::uint8_t code : sensor.Codes()) {
        if (code == 0x67) {
            writes.push_back(code);
        }
    }
    EXPECT_EQ(2U, writes.size());
    EXPECT_EQ((test::FakeSensor::Edges{-1, -1, -1, -1}), sensor.falseRects[3]);
    EXPECT_EQ((test::FakeSensor::Edges{40, 50, 60, 70}), sensor.falseRects[7]);
}

TEST_F(DetectionPageSequencesTest, AReadBackDifferenceOrAFailureEndsTheApply) {
    sensor.storeThreshold = [](std::uint16_t) { return std::uint16_t{1000}; };
    EXPECT_EQ(RC_VERIFY_MISMATCH, ApplyDetectionValues(session, FactoryValues()));
    EXPECT_EQ((Codes{0x05, 0x06}), sensor.Codes());

    sensor.storeThreshold = [](std::uint16_t v) { return v; };
    sensor.ClearCodes();
    sensor.status[0x61] = 0xE3;
    EXPECT_EQ(-0xE3, ApplyDetectionValues(session, FactoryValues()));
    EXPECT_EQ((Codes{0x05, 0x06, 0x07, 0x08, 0x61}), sensor.Codes());

    // A sensor that keeps the detection areas one unit lower than sent.
    sensor.status.clear();
    sensor.ClearCodes();
    sensor.storeArea = [](test::FakeSensor::Edges edges) {
        ++edges[3];
        return edges;
    };
    EXPECT_EQ(RC_VERIFY_MISMATCH, ApplyDetectionValues(session, FactoryValues()));
    const Codes codes = sensor.Codes();
    EXPECT_EQ((Codes{0x65, 0x66}), Codes(codes.end() - 2, codes.end()));
    EXPECT_EQ((Rect{100, 200, 300, 401}), session.DetectionAreaCache()[0]);

    sensor.ClearCodes();
    session.Disconnect();
    EXPECT_EQ(RC_NO_LINK, ApplyDetectionValues(session, FactoryValues()));
    EXPECT_TRUE(sensor.Codes().empty());
}

// An abort that comes while the third area mask is being written: that write finishes, nothing
// more is sent, and the apply says what it wrote; the link stays open for the page to read again.
TEST_F(DetectionPageSequencesTest, ACancelledApplyStopsBeforeTheNextWriteAndSaysWhatItWrote) {
    int areaMaskWrites = 0;
    sensor.beforeAnswer = [&](std::uint8_t code) {
        if (code == 0x61 && ++areaMaskWrites == 3) {
            session.Abort();
        }
    };
    DetectionValues values = FactoryValues();
    values.threshold = 321;
    values.areaMasks[2] = CAreaMaskArea(2, {100, 110, 500, 510}, {AreaJudge::Overlap, 35});
    values.areaMasks[3] = CAreaMaskArea(3, {1, 2, 3, 4}, {AreaJudge::CenterPoint, 50});
    values.falseRects[7].MarkAdded({40, 50, 60, 70});
    SettingsApplyProgress progress;
    EXPECT_EQ(RC_CANCELLED, ApplyDetectionValues(session, values, &progress));
    EXPECT_EQ(Concat({{0x05, 0x06, 0x07, 0x08}, Repeated(0x61, 3)}), sensor.Codes());
    EXPECT_EQ("Ditection.Threshold to AreaMask3", progress.Written());
    EXPECT_EQ("AreaMask4 to Other.Other23-Other26", progress.NotWritten());
    EXPECT_EQ(std::vector<std::string>(progress.planned.begin() + 17, progress.planned.begin() + 19),
              (std::vector<std::string>{"AreaMask16", "FalseRect8"}));
    EXPECT_EQ(37U, progress.Total()); // 2 + 16 area masks + 1 rectangle + 16 motion masks + 2 areas
    EXPECT_TRUE(session.IsConnected());

    session.ClearAbort();
    sensor.beforeAnswer = nullptr;
    DetectionLoad load;
    ASSERT_EQ(RC_OK, LoadDetectionValues(session, load));
    EXPECT_EQ(321, load.values.threshold);
    EXPECT_EQ((Rect{100, 110, 500, 510}), load.values.areaMasks[2].GetRect());
    EXPECT_FALSE(load.values.areaMasks[3].IsSet());
}

TEST_F(DetectionPageSequencesTest, ACancelBeforeThePictureFailsTheLoad) {
    sensor.beforeAnswer = [this](std::uint8_t code) {
        if (code == 0x79) {
            session.Abort();
        }
    };
    DetectionLoad load;
    load.values.threshold = 99;
    EXPECT_EQ(RC_CANCELLED, LoadDetectionValues(session, load));
    EXPECT_EQ(Codes(DETECTION_LOAD.begin(), DETECTION_LOAD.end() - 1), sensor.Codes());
    EXPECT_EQ(99, load.values.threshold);
}

TEST(DetectionValuesTest, WhatCountsAsAChange) {
    const DetectionValues sensor = [] {
        DetectionValues v = FactoryValues();
        v.areaMasks[0] = CAreaMaskArea(0, {1, 2, 300, 400}, {AreaJudge::CenterPoint, 50});
        v.areaMasks[1] = CAreaMaskArea(1, {5, 6, 700, 800}, {AreaJudge::Overlap, 40});
        v.falseRects[2] = CFalseRectArea(2, {10, 10, 90, 90}, FalseRectState::Stored);
        v.motionMasks[3] = CTevoArea(3, {0, 0, 50, 50});
        return v;
    }();
    EXPECT_TRUE(SameDetectionValues(sensor, sensor));

    const auto changed = [&sensor](const std::function<void(DetectionValues&)>& edit) {
        DetectionValues edited = sensor;
        edit(edited);
        return !SameDetectionValues(edited, sensor);
    };
    // The percentage only counts under Overlap.
    EXPECT_FALSE(changed([](DetectionValues& v) { v.areaMasks[0].SetPercent(80); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.areaMasks[1].SetPercent(41); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.areaMasks[0].SetJudge(AreaJudge::FootPoint); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.areaMasks[0].SetRect({1, 2, 300, 401}); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.areaMasks[5].SetNumber(6); }));
    // A false-detection rectangle's state alone is no change; its rectangle is.
    EXPECT_FALSE(changed([](DetectionValues& v) {
        v.falseRects[2] = CFalseRectArea(2, {10, 10, 90, 90}, FalseRectState::Added);
    }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.falseRects[2].Clear(); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.falseRects.pop_back(); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.motionMasks[3].SetRect({0, 0, 50, 51}); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.motionMasks.push_back(CTevoArea(16, {0, 0, 1, 1})); }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.threshold = 501; }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.sizeMinimum = 21; }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.sizeMaximum = 1599; }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.humanArea = UNSET_RECT; }));
    EXPECT_TRUE(changed([](DetectionValues& v) { v.motionArea = {0, 0, 1599, 1199}; }));
}

} // namespace
} // namespace orlo
