#include "core/regions/DetectionAreas.h"

#include <gtest/gtest.h>
#include <vector>

namespace orlo {
namespace {

using Order = std::vector<int>;

TEST(DetectionAreas, OrderIsNormalisedToBothAreasOnce) {
    EXPECT_EQ(NormaliseDetectAreaOrder({0, 1, 2, 3}), (Order{0, 1})); // the stored default "0123"
    EXPECT_EQ(NormaliseDetectAreaOrder({1, 0}), (Order{1, 0}));
    EXPECT_EQ(NormaliseDetectAreaOrder({0, 1}), (Order{0, 1}));
    EXPECT_EQ(NormaliseDetectAreaOrder({1, 0, 1}), (Order{0, 1}));
    EXPECT_EQ(NormaliseDetectAreaOrder({}), (Order{0, 1}));
    EXPECT_EQ(NormaliseDetectAreaOrder({1}), (Order{1, 0}));
    EXPECT_EQ(NormaliseDetectAreaOrder({0}), (Order{0, 1}));
    // Entries that name no area, or one area twice, would leave an area out of the list.
    EXPECT_EQ(NormaliseDetectAreaOrder({49, 50}), (Order{0, 1})); // "ab"
    EXPECT_EQ(NormaliseDetectAreaOrder({1, 1}), (Order{0, 1}));
    EXPECT_EQ(NormaliseDetectAreaOrder({5}), (Order{0, 1}));
    EXPECT_EQ(NormaliseDetectAreaOrder({-3, 0}), (Order{0, 1}));
}

TEST(DetectionAreas, UnsetStandsForTheFrameOfTheOrientation) {
    EXPECT_EQ(DetectionAreaOrFrame(UNSET_RECT, false), (Rect{0, 0, 1600, 1200}));
    EXPECT_EQ(DetectionAreaOrFrame(UNSET_RECT, true), (Rect{0, 0, 1200, 1600}));
    EXPECT_EQ(DetectionAreaOrFrame({-1, -1, -1, 0}, false), (Rect{-1, -1, -1, 0}));
}

TEST(DetectionAreas, HandedBackOnTheFramesPixels) {
    EXPECT_EQ(ClampDetectionArea(UNSET_RECT, false), UNSET_RECT);
    EXPECT_EQ(ClampDetectionArea({0, 0, 1600, 1200}, false), (Rect{0, 0, 1599, 1199}));
    EXPECT_EQ(ClampDetectionArea({0, 0, 1600, 1200}, true), (Rect{0, 0, 1199, 1200}));
    EXPECT_EQ(ClampDetectionArea({-5, 1300, 1700, 1601}, true), (Rect{0, 1300, 1199, 1599}));
    EXPECT_EQ(ClampDetectionArea({100, 200, 300, 400}, false), (Rect{100, 200, 300, 400}));
}

} // namespace
} // namespace orlo
