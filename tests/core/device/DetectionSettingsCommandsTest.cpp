#include "core/device/DetectionSettingsCommands.h"

#include "tests/support/FakeConnection.h"
#include "tests/support/TempDirectory.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

using test::FakeConnection;
using test::ResponseFrame;
using Bytes = std::vector<std::uint8_t>;

Bytes RectBytes(const Rect& r) {
    Bytes bytes;
    for (std::int32_t v : {r.left, r.top, r.right, r.bottom}) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    return bytes;
}

Bytes WithJudge(Bytes bytes, std::uint8_t judge) {
    bytes.push_back(judge);
    return bytes;
}

class DetectionSettingsTest : public ::testing::Test {
protected:
    test::TempDirectory directory;
    // Declared before the session: the session closes its link when it goes.
    FakeConnection link;
    DeviceSession session{directory.Path()};

    void SetUp() override { session.Attach(link, ConnectionType::Lan); }
    const Bytes& Sent(std::size_t i) const { return link.Sent().at(i); }
    void QueueOk(int count) {
        for (int i = 0; i < count; ++i) {
            link.QueueResponse(ResponseFrame(0x00));
        }
    }
};

TEST_F(DetectionSettingsTest, RequestLayoutsIncludingUnalignedSlotRecords) {
    QueueOk(6);
    EXPECT_EQ(RC_OK, SetThreshold(session, 1000, 0x0123));
    EXPECT_EQ((Bytes{0xFE, 0x05, 0x08, 0x00, 0x23, 0x01, 0, 0, 0, 0, 0, 0}), Sent(0));
    EXPECT_EQ(RC_OK, SetSizeMask(session, 1000, {20, 1600}));
    EXPECT_EQ((Bytes{0xFE, 0x07, 0x0C, 0x00, 20, 0, 0x40, 0x06, 0, 0, 0, 0, 0, 0, 0, 0}), Sent(1));
    EXPECT_EQ(RC_OK, SetAreaMask(session, 1000, 15, {-1, 2, 0x0300, 4}, 0x23));
    EXPECT_EQ((Bytes{0xFE, 0x61, 0x0A, 0x00, 15, 0xFF, 0xFF, 2, 0, 0x00, 0x03, 4, 0, 0x23}), Sent(2));
    EXPECT_EQ(RC_OK, SetMotionMask(session, 1000, 3, {10, 20, 30, 40}));
    EXPECT_EQ((Bytes{0xFE, 0x76, 0x09, 0x00, 3, 10, 0, 20, 0, 30, 0, 40, 0}), Sent(3));
    EXPECT_EQ(RC_OK, SetFalseRect(session, 1000, 9, UNSET_RECT));
    EXPECT_EQ((Bytes{0xFE, 0x67, 0x09, 0x00, 9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), Sent(4));
    EXPECT_EQ(RC_OK, SetMotionDetectionArea(session, 1000, {0, 0, 1600, 1200}));
    EXPECT_EQ((Bytes{0xFE, 0x78, 0x08, 0x00, 0, 0, 0, 0, 0x40, 0x06, 0xB0, 0x04}), Sent(5));
}

TEST_F(DetectionSettingsTest, ReadsCheckTheirMinimumAndFillTheCache) {
    std::uint16_t threshold = 7;
    link.QueueResponse(ResponseFrame(0x00, Bytes(7, 1)));
    EXPECT_EQ(RC_SHORT_RESPONSE, GetThreshold(session, 1000, threshold));
    EXPECT_EQ(7, threshold);
    link.QueueResponse(ResponseFrame(0x00, {0x2C, 0x01, 0, 0, 0, 0, 0, 0}));
    ASSERT_EQ(RC_OK, GetThreshold(session, 1000, threshold));
    EXPECT_EQ(300, threshold);

    Rect area;
    link.QueueResponse(ResponseFrame(0x00, RectBytes({100, 200, 1500, 1100})));
    ASSERT_EQ(RC_OK, GetMotionDetectionArea(session, 1000, area));
    EXPECT_EQ((Rect{100, 200, 1500, 1100}), session.DetectionAreaCache()[1]);
    EXPECT_EQ(UNSET_RECT, session.DetectionAreaCache()[0]);

    Rect maskRect;
    std::uint8_t judge = 0;
    link.QueueResponse(ResponseFrame(0x00, RectBytes({1, 2, 3, 4})));
    EXPECT_EQ(RC_SHORT_RESPONSE, GetAreaMask(session, 1000, 0, maskRect, judge)); // 8 of 9 bytes
    EXPECT_EQ((Bytes{0xFE, 0x62, 0x01, 0x00, 0x00}), link.Sent().back());
}

TEST_F(DetectionSettingsTest, ApplyAreaMasksWritesJudgeBytesAndVerifies) {
    std::vector<CAreaMaskArea> masks;
    masks.emplace_back(0, Rect{10, 10, 100, 100}, Judgement{AreaJudge::Overlap, 35});
    masks.emplace_back(1, Rect{20, 20, 200, 200}, Judgement{AreaJudge::CenterPoint, 80});
    QueueOk(2);
    link.QueueResponse(ResponseFrame(0x00, WithJudge(RectBytes({10, 10, 100, 100}), 0x23)));
    link.QueueResponse(ResponseFrame(0x00, WithJudge(RectBytes({20, 20, 200, 200}), 0x80)));
    for (int slot = 2; slot < 16; ++slot) {
        link.QueueResponse(ResponseFrame(0x00, WithJudge(RectBytes(UNSET_RECT), 0xFF)));
    }
    EXPECT_EQ(RC_OK, ApplyAreaMasks(session, masks));
    EXPECT_EQ(0x23, Sent(0).back());
    EXPECT_EQ(0x80, Sent(1).back());
    EXPECT_EQ(18u, link.Sent().size());

    std::vector<CAreaMaskArea> read;
    link.QueueResponse(ResponseFrame(0x00, WithJudge(RectBytes({10, 10, 100, 100}), 0x90)));
    link.QueueResponse(ResponseFrame(0x00, WithJudge(RectBytes({1, 1, 2, 2}), 0xC8))); // unknown byte
    link.QueueResponse(ResponseFrame(0x05));
    EXPECT_EQ(-5, ReadAreaMasks(session, read));
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(AreaJudge::FootPoint, read[0].GetJudge());
    EXPECT_EQ(AreaJudge::None, read[1].GetJudge());
    EXPECT_EQ(50, read[1].GetPercent());
    EXPECT_EQ(1, read[1].GetNumber());
}

TEST_F(DetectionSettingsTest, ReadBackDifferenceIsAMismatch) {
    std::vector<CTevoArea> masks{CTevoArea(0, {10, 10, 100, 101})};
    QueueOk(1);
    link.QueueResponse(ResponseFrame(0x00, RectBytes({10, 10, 100, 100})));
    for (int slot = 1; slot < 16; ++slot) {
        link.QueueResponse(ResponseFrame(0x00, RectBytes(UNSET_RECT)));
    }
    EXPECT_EQ(RC_VERIFY_MISMATCH, ApplyMotionMasks(session, masks));

    QueueOk(1);
    link.QueueResponse(ResponseFrame(0x00, RectBytes({5, 5, 6, 6})));
    EXPECT_EQ(RC_VERIFY_MISMATCH, SetHumanDetectionAreaVerified(session, {5, 5, 6, 7}));
    EXPECT_EQ((Rect{5, 5, 6, 6}), session.DetectionAreaCache()[0]);
}

TEST_F(DetectionSettingsTest, ApplyFalseRectsWritesOnlyChangedRecordsAndReadsAllTen) {
    std::vector<CFalseRectArea> rects;
    for (int slot = 0; slot < 10; ++slot) {
        rects.emplace_back(slot, UNSET_RECT, FalseRectState::Stored);
    }
    for (int slot = 0; slot < 10; ++slot) {
        link.QueueResponse(ResponseFrame(0x00, RectBytes(UNSET_RECT)));
    }
    EXPECT_EQ(RC_OK, ApplyFalseRects(session, rects));
    ASSERT_EQ(10u, link.Sent().size());
    for (const auto& frame : link.Sent()) {
        EXPECT_EQ(0x68, frame[1]);
    }

    rects[2].MarkAdded({300, 300, 400, 400});
    rects[4] = CFalseRectArea(4, {1, 1, 2, 2}, FalseRectState::Stored);
    rects[4].Clear();
    QueueOk(2);
    for (int slot = 0; slot < 10; ++slot) {
        link.QueueResponse(ResponseFrame(0x00, RectBytes(slot == 2 ? Rect{300, 300, 400, 400} : UNSET_RECT)));
    }
    EXPECT_EQ(RC_OK, ApplyFalseRects(session, rects));
    EXPECT_EQ((Bytes{0xFE, 0x67, 0x09, 0x00, 2, 0x2C, 0x01, 0x2C, 0x01, 0x90, 0x01, 0x90, 0x01}), Sent(10));
    EXPECT_EQ((Bytes{0xFE, 0x67, 0x09, 0x00, 4, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), Sent(11));
}

TEST_F(DetectionSettingsTest, CompositesNeedAConnection) {
    session.Disconnect();
    std::vector<CAreaMaskArea> masks;
    std::vector<CTevoArea> motion;
    std::vector<CFalseRectArea> rects;
    EXPECT_EQ(RC_NO_LINK, ReadAreaMasks(session, masks));
    EXPECT_EQ(RC_NO_LINK, ApplyAreaMasks(session, masks));
    EXPECT_EQ(RC_NO_LINK, ApplyMotionMasks(session, motion));
    EXPECT_EQ(RC_NO_LINK, ApplyFalseRects(session, rects));
    EXPECT_EQ(RC_SEND_FAILED, SetThreshold(session, 1000, 1));
}

TEST_F(DetectionSettingsTest, AbnormalStatusOnAWriteStopsTheApply) {
    std::vector<CTevoArea> masks{CTevoArea(0, {1, 1, 2, 2}), CTevoArea(1, {3, 3, 4, 4})};
    link.QueueResponse(ResponseFrame(0x50));
    EXPECT_EQ(RC_SETTINGS_ABNORMAL, ApplyMotionMasks(session, masks));
    EXPECT_EQ(1u, link.Sent().size());
}

} // namespace
} // namespace orlo
