#include "core/regions/RegionPlacement.h"

#include "core/regions/MaskEditing.h"
#include "core/regions/SensorGeometry.h"

#include <array>
#include <gtest/gtest.h>

namespace orlo {
namespace {

const Rect LANDSCAPE = SensorEdgeBounds(false);
const Rect PORTRAIT = SensorEdgeBounds(true);
constexpr std::int32_t MIN_SIDE = 27;

TEST(RegionPlacement, BoundsAreTheFramesPixelsInEitherOrientation) {
    EXPECT_EQ(LANDSCAPE, (Rect{0, 0, 1599, 1199}));
    EXPECT_EQ(PORTRAIT, (Rect{0, 0, 1199, 1599}));
}

TEST(RegionPlacement, OneAndTenSurfacePixelsAtBothScales) {
    for (const double scale : {MASK_EDITOR_SCALE, AREA_EDITOR_SCALE}) {
        EXPECT_EQ(SurfacePixelsToSensor(1, scale), 3) << scale;
        EXPECT_EQ(SurfacePixelsToSensor(10, scale), 27) << scale;
        // A one-pixel step moves every region by at least one pixel on the surface, and ten pixels'
        // steps by at least ten.
        const SurfaceTransform transform{scale, 0, 0};
        for (std::int32_t x = 0; x < 1600 - 27; ++x) {
            const std::int32_t at = SensorToSurface(Point{x, 0}, transform).x;
            EXPECT_GE(SensorToSurface(Point{x + SurfacePixelsToSensor(1, scale), 0}, transform).x, at + 1)
                << x;
            EXPECT_GE(SensorToSurface(Point{x + SurfacePixelsToSensor(10, scale), 0}, transform).x, at + 10)
                << x;
        }
    }
}

TEST(RegionPlacement, MinimumSideKeepsTheTrackersMinimumOnTheSurface) {
    EXPECT_EQ(MinimumSensorSide(10, MASK_EDITOR_SCALE, MIN_DRAWN_MASK_SIDE), 27);
    EXPECT_EQ(MinimumSensorSide(10, AREA_EDITOR_SCALE, 1), 27);
    EXPECT_EQ(MinimumSensorSide(2, AREA_EDITOR_SCALE, MIN_DRAWN_MASK_SIDE), MIN_DRAWN_MASK_SIDE);
    // Whatever its position, a region of the minimum side spans at least the tracker's 10 pixels.
    for (const double scale : {MASK_EDITOR_SCALE, AREA_EDITOR_SCALE}) {
        const std::int32_t side = MinimumSensorSide(10, scale, 1);
        for (std::int32_t left = 0; left + side < 1600; ++left) {
            const Rect surface = SensorToSurface(Rect{left, 0, left + side, side}, {scale, 0, 0});
            EXPECT_GE(surface.Width(), 10) << left;
        }
    }
}

TEST(RegionPlacement, TypedEdgesAreTakenAsTypedInsideTheFrame) {
    const Rect region{100, 200, 400, 500};
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Left, 123, LANDSCAPE, MIN_SIDE), (Rect{123, 200, 400, 500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Top, 7, LANDSCAPE, MIN_SIDE), (Rect{100, 7, 400, 500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Right, 1599, LANDSCAPE, MIN_SIDE),
              (Rect{100, 200, 1599, 500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Bottom, 1199, LANDSCAPE, MIN_SIDE),
              (Rect{100, 200, 400, 1199}));
}

TEST(RegionPlacement, TypedEdgesAreClampedToTheFrame) {
    const Rect region{100, 200, 400, 500};
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Left, -40, LANDSCAPE, MIN_SIDE), (Rect{0, 200, 400, 500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Right, 1700, LANDSCAPE, MIN_SIDE),
              (Rect{100, 200, 1599, 500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Bottom, 1500, LANDSCAPE, MIN_SIDE),
              (Rect{100, 200, 400, 1199}));
    // Portrait: the long side is the height.
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Bottom, 1500, PORTRAIT, MIN_SIDE),
              (Rect{100, 200, 400, 1500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Right, 1500, PORTRAIT, MIN_SIDE),
              (Rect{100, 200, 1199, 500}));
}

TEST(RegionPlacement, TypedEdgesKeepTheMinimumSide) {
    const Rect region{100, 200, 400, 500};
    // A left edge past the right one pushes the right edge along.
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Left, 390, LANDSCAPE, MIN_SIDE), (Rect{390, 200, 417, 500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Left, 900, LANDSCAPE, MIN_SIDE), (Rect{900, 200, 927, 500}));
    // ... until the frame stops it, then the typed edge gives way.
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Left, 1590, LANDSCAPE, MIN_SIDE),
              (Rect{1572, 200, 1599, 500}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Bottom, 10, LANDSCAPE, MIN_SIDE), (Rect{100, 0, 400, 27}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Top, 1199, PORTRAIT, MIN_SIDE), (Rect{100, 1199, 400, 1226}));
    EXPECT_EQ(WithTypedEdge(region, RegionEdge::Right, 50, LANDSCAPE, MIN_DRAWN_MASK_SIDE),
              (Rect{40, 200, 50, 500}));
}

TEST(RegionPlacement, MovesKeepTheSizeAndStopAtTheFrame) {
    const Rect region{100, 200, 400, 500};
    EXPECT_EQ(MovedRegion(region, 3, 0, LANDSCAPE, MIN_SIDE), (Rect{103, 200, 403, 500}));
    EXPECT_EQ(MovedRegion(region, 0, -27, LANDSCAPE, MIN_SIDE), (Rect{100, 173, 400, 473}));
    EXPECT_EQ(MovedRegion(region, -270, 0, LANDSCAPE, MIN_SIDE), (Rect{0, 200, 300, 500}));
    EXPECT_EQ(MovedRegion({1500, 1000, 1598, 1190}, 3, 27, LANDSCAPE, MIN_SIDE),
              (Rect{1501, 1009, 1599, 1199}));
    // The same region at the portrait frame's right edge.
    EXPECT_EQ(MovedRegion({1100, 1400, 1198, 1590}, 3, 27, PORTRAIT, MIN_SIDE),
              (Rect{1101, 1409, 1199, 1599}));
    // The whole frame (an unset detection area) fits only as the frame's pixels and cannot move.
    EXPECT_EQ(MovedRegion(FullSensorFrame(false), 3, 3, LANDSCAPE, 1), LANDSCAPE);
}

TEST(RegionPlacement, ResizesMoveTheRightAndBottomEdgeWithinTheMinimum) {
    const Rect region{100, 200, 400, 500};
    EXPECT_EQ(ResizedRegion(region, 3, 0, LANDSCAPE, MIN_SIDE), (Rect{100, 200, 403, 500}));
    EXPECT_EQ(ResizedRegion(region, 0, -27, LANDSCAPE, MIN_SIDE), (Rect{100, 200, 400, 473}));
    EXPECT_EQ(ResizedRegion(region, -1000, -1000, LANDSCAPE, MIN_SIDE), (Rect{100, 200, 127, 227}));
    EXPECT_EQ(ResizedRegion(region, 5000, 5000, LANDSCAPE, MIN_SIDE), (Rect{100, 200, 1599, 1199}));
    EXPECT_EQ(ResizedRegion(region, 5000, 5000, PORTRAIT, MIN_SIDE), (Rect{100, 200, 1199, 1599}));
    EXPECT_EQ(ResizedRegion({100, 200, 112, 212}, -3, -3, LANDSCAPE, MIN_DRAWN_MASK_SIDE),
              (Rect{100, 200, 110, 210}));
}

TEST(RegionPlacement, RegionsSmallerThanTheMinimumGrowWhenTouched) {
    // A mask drawn at 12 units stays as drawn until a key or number touches it.
    EXPECT_EQ(MovedRegion({100, 100, 112, 112}, 3, 0, LANDSCAPE, MIN_SIDE), (Rect{103, 100, 130, 127}));
    EXPECT_EQ(FitIntoBounds({1590, 1195, 1595, 1199}, LANDSCAPE, MIN_SIDE), (Rect{1572, 1172, 1599, 1199}));
}

TEST(RegionPlacement, TabGoesToTheNextRegionInUseAndWraps) {
    const std::array<bool, 6> inUse{false, true, false, true, true, false};
    EXPECT_EQ(NextRegionInUse(inUse, -1), 1);
    EXPECT_EQ(NextRegionInUse(inUse, 1), 3);
    EXPECT_EQ(NextRegionInUse(inUse, 3), 4);
    EXPECT_EQ(NextRegionInUse(inUse, 4), 1);
    EXPECT_EQ(NextRegionInUse(inUse, 2), 3);
    const std::array<bool, 3> one{false, false, true};
    EXPECT_EQ(NextRegionInUse(one, 2), 2);
    const std::array<bool, 3> none{};
    EXPECT_EQ(NextRegionInUse(none, -1), -1);
}

} // namespace
} // namespace orlo
