#include "core/regions/RectTracking.h"

#include "core/regions/MaskEditing.h"
#include "core/regions/SensorGeometry.h"
#include "core/regions/TevoArea.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace orlo {
namespace {

constexpr int HANDLE = 10;
constexpr Extent MINIMUM{10, 10};

TEST(RectTracking, PointsAndRubberBands) {
    const Rect rect{10, 20, 30, 40};
    EXPECT_TRUE(ContainsPoint(rect, {10, 20}));
    EXPECT_TRUE(ContainsPoint(rect, {29, 39}));
    EXPECT_FALSE(ContainsPoint(rect, {30, 25}));
    EXPECT_FALSE(ContainsPoint(rect, {15, 40}));
    EXPECT_FALSE(ContainsPoint(Rect{5, 5, 5, 5}, {5, 5})); // empty: an unset region never matches

    EXPECT_EQ(NormalisedRect({50, 10}, {20, 60}), (Rect{20, 10, 50, 60}));
    EXPECT_EQ(ClampPoint({700, -5}, {8, 123, 608, 573}), (Point{608, 123}));
    EXPECT_EQ(ClampPoint({100, 200}, {8, 123, 608, 573}), (Point{100, 200}));
}

TEST(RectTracking, MiddleHandlesNeedRoomFromThirtyFivePixels) {
    for (const TrackerHit corner :
         {TrackerHit::TopLeft, TrackerHit::TopRight, TrackerHit::BottomRight, TrackerHit::BottomLeft}) {
        EXPECT_TRUE(HandleVisible({0, 0, 10, 10}, corner, HANDLE));
    }
    // Width - 3 handles must exceed 4: 35 is the first width with top and bottom middle handles.
    EXPECT_FALSE(HandleVisible({0, 0, 34, 100}, TrackerHit::Top, HANDLE));
    EXPECT_TRUE(HandleVisible({0, 0, 35, 100}, TrackerHit::Top, HANDLE));
    EXPECT_TRUE(HandleVisible({0, 0, 35, 100}, TrackerHit::Bottom, HANDLE));
    EXPECT_FALSE(HandleVisible({0, 0, 100, 34}, TrackerHit::Left, HANDLE));
    EXPECT_TRUE(HandleVisible({0, 0, 100, 35}, TrackerHit::Right, HANDLE));
    EXPECT_FALSE(HandleVisible({0, 0, 100, 100}, TrackerHit::Middle, HANDLE));
}

TEST(RectTracking, HandlesLieInsideTheRectangle) {
    const Rect rect{100, 200, 200, 260};
    EXPECT_EQ(HandleRect(rect, TrackerHit::TopLeft, HANDLE), (Rect{100, 200, 110, 210}));
    EXPECT_EQ(HandleRect(rect, TrackerHit::BottomRight, HANDLE), (Rect{190, 250, 200, 260}));
    EXPECT_EQ(HandleRect(rect, TrackerHit::Top, HANDLE), (Rect{145, 200, 155, 210}));
    EXPECT_EQ(HandleRect(rect, TrackerHit::Left, HANDLE), (Rect{100, 225, 110, 235}));

    EXPECT_EQ(HitTestTracker(rect, {101, 201}, HANDLE), TrackerHit::TopLeft);
    EXPECT_EQ(HitTestTracker(rect, {199, 255}, HANDLE), TrackerHit::BottomRight);
    EXPECT_EQ(HitTestTracker(rect, {150, 259}, HANDLE), TrackerHit::Bottom);
    EXPECT_EQ(HitTestTracker(rect, {195, 230}, HANDLE), TrackerHit::Right);
    EXPECT_EQ(HitTestTracker(rect, {150, 230}, HANDLE), TrackerHit::Middle);
    EXPECT_EQ(HitTestTracker(rect, {200, 230}, HANDLE), TrackerHit::Nothing);
    // Without a middle handle on a short side a press there moves the rectangle.
    EXPECT_EQ(HitTestTracker({100, 200, 130, 260}, {115, 205}, HANDLE), TrackerHit::Middle);
}

TEST(RectTracking, HandlesFollowTheMouseDownToTheMinimumSize) {
    const Rect start{100, 100, 200, 200};
    EXPECT_EQ(TrackedRect(start, TrackerHit::Middle, {150, 150}, {170, 130}, MINIMUM),
              (Rect{120, 80, 220, 180}));
    EXPECT_EQ(TrackedRect(start, TrackerHit::BottomRight, {195, 195}, {245, 215}, MINIMUM),
              (Rect{100, 100, 250, 220}));
    EXPECT_EQ(TrackedRect(start, TrackerHit::Top, {150, 105}, {140, 80}, MINIMUM), (Rect{100, 75, 200, 200}));
    // Dragged past the opposite edge, a side stops the minimum size short of it.
    EXPECT_EQ(TrackedRect(start, TrackerHit::Right, {195, 150}, {20, 150}, MINIMUM),
              (Rect{100, 100, 110, 200}));
    EXPECT_EQ(TrackedRect(start, TrackerHit::TopLeft, {105, 105}, {400, 400}, MINIMUM),
              (Rect{190, 190, 200, 200}));
}

TEST(RectTracking, BoundsKeepTheSizeOfAMovedRectangle) {
    const Rect bounds{8, 123, 608, 573};
    const Rect previous{500, 300, 600, 350};
    // Moved 30 pixels right: sticks out by 22 and is shifted back, keeping its width.
    const Rect moved = KeepInBounds(previous, {530, 300, 630, 350}, bounds);
    EXPECT_EQ(moved, (Rect{508, 300, 608, 350}));
    EXPECT_EQ(moved.Width(), 100);
    // Moved up and left past both edges.
    EXPECT_EQ(KeepInBounds({20, 130, 120, 180}, {0, 100, 100, 150}, bounds), (Rect{8, 123, 108, 173}));
    // The right edge alone dragged past the bounds stops at them: the width shrinks.
    EXPECT_EQ(KeepInBounds(previous, {500, 300, 650, 350}, bounds), (Rect{500, 300, 608, 350}));
    // No bounds: anything goes.
    EXPECT_EQ(KeepInBounds(previous, {700, 0, 800, 50}, UNSET_RECT), (Rect{700, 0, 800, 50}));
}

TEST(MaskHitTest, SelectedFirstThenTheHighestSlot) {
    // Slots 1 and 3 overlap in {150..200}; slot 0 and 2 are unset (empty on the surface).
    const std::vector<Rect> rects{
        {75, 75, 75, 75}, {100, 100, 200, 200}, {75, 75, 75, 75}, {150, 150, 250, 250}};
    EXPECT_EQ(HitTestRegions(rects, -1, {160, 160}), 3);
    EXPECT_EQ(HitTestRegions(rects, 1, {160, 160}), 1);
    EXPECT_EQ(HitTestRegions(rects, 3, {120, 120}), 1); // the selected one does not hold the point
    EXPECT_EQ(HitTestRegions(rects, -1, {75, 75}), -1);
    EXPECT_EQ(HitTestRegions(rects, -1, {300, 300}), -1);
    EXPECT_EQ(HitTestRegions({}, -1, {0, 0}), -1);
}

TEST(MaskHitTest, DrawnMasksNeedTenSensorUnits) {
    EXPECT_TRUE(IsLargeEnoughMask({0, 0, 10, 10}));
    EXPECT_FALSE(IsLargeEnoughMask({0, 0, 9, 100}));
    EXPECT_FALSE(IsLargeEnoughMask({0, 0, 100, 9}));
}

TEST(Collections, CompletedToTheirSlots) {
    std::vector<CAreaMaskArea> areas(3);
    areas[1].SetRect({1, 2, 3, 4});
    const std::vector<CAreaMaskArea> full = CompleteSlots(areas, AREA_MASK_SLOTS);
    ASSERT_EQ(full.size(), 16u);
    EXPECT_EQ(full[1].GetRect(), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(full[15].GetNumber(), 15);
    EXPECT_FALSE(full[15].IsSet());
    EXPECT_EQ(CompleteSlots(std::vector<CTevoArea>(20), MOTION_MASK_SLOTS).size(), 16u);
}

// The four editor mappings for the picture of each mounting direction: client -> surface ->
// sensor -> surface -> client comes back within one pixel, sensor -> surface -> sensor within one
// surface pixel's worth of sensor units.
TEST(EditorMappings, RoundTripInEveryDirection) {
    const Point box{8, 48};
    for (int direction = 0; direction < 4; ++direction) {
        const bool portrait = direction % 2 == 1;
        const Extent picture = portrait ? Extent{240, 320} : Extent{320, 240};
        const FitPlacement fit = FitToSurface(picture, {EDITOR_SURFACE_SIDE, EDITOR_SURFACE_SIDE});
        const Rect image = ImageRectOnClient(box, {EDITOR_SURFACE_SIDE, EDITOR_SURFACE_SIDE}, fit);
        for (const double scale : {MASK_EDITOR_SCALE, AREA_EDITOR_SCALE}) {
            const SurfaceTransform transform{scale, fit.offset.x, fit.offset.y};
            for (int x = image.left; x <= image.right; ++x) {
                const int y =
                    image.top + (x - image.left) * (image.bottom - image.top) / (image.right - image.left);
                const Rect client{x, y, x, y};
                const Rect sensor = SurfaceToSensor(ClientToSurface(client, box), transform);
                const Rect back = SurfaceToClient(SensorToSurface(sensor, transform), box);
                ASSERT_LE(std::abs(back.left - x), 1) << direction << " " << scale << " " << x;
                ASSERT_LE(std::abs(back.top - y), 1) << direction << " " << scale << " " << y;
            }
            const Extent frame = SensorFrameSize(portrait);
            const int unitsPerPixel = static_cast<int>(1 / scale) + 1;
            for (int v = 0; v < frame.width; v += 7) {
                const Rect sensor{v, v * frame.height / frame.width, v, v * frame.height / frame.width};
                const Rect back = SurfaceToSensor(
                    ClientToSurface(SurfaceToClient(SensorToSurface(sensor, transform), box), box),
                    transform);
                ASSERT_LE(sensor.left - back.left, unitsPerPixel);
                ASSERT_GE(sensor.left - back.left, 0);
                ASSERT_LE(sensor.top - back.top, unitsPerPixel);
                ASSERT_GE(sensor.top - back.top, 0);
            }
        }
    }
}

} // namespace
} // namespace orlo
