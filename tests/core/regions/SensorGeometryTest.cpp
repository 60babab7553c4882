#include "core/regions/SensorGeometry.h"

#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace orlo {
namespace {

TEST(SensorFrame, FollowsTheMountingDirection) {
    EXPECT_EQ(SensorFrameSize(false), (Extent{1600, 1200}));
    EXPECT_EQ(SensorFrameSize(true), (Extent{1200, 1600}));
    EXPECT_EQ(FullSensorFrame(false), (Rect{0, 0, 1600, 1200}));
    EXPECT_EQ(FullSensorFrame(true), (Rect{0, 0, 1200, 1600}));
}

TEST(FitToSurface, EditorSurface) {
    const FitPlacement landscape = FitToSurface({320, 240}, {600, 600});
    EXPECT_DOUBLE_EQ(landscape.zoom, 1.875);
    EXPECT_EQ(landscape.drawn, (Extent{600, 450}));
    EXPECT_EQ(landscape.offset, (Point{0, 75}));
    EXPECT_EQ(landscape.Destination(), (Rect{0, 75, 600, 525}));

    const FitPlacement portrait = FitToSurface({240, 320}, {600, 600});
    EXPECT_DOUBLE_EQ(portrait.zoom, 1.875);
    EXPECT_EQ(portrait.drawn, (Extent{450, 600}));
    EXPECT_EQ(portrait.offset, (Point{75, 0}));
}

TEST(FitToSurface, MonitoringSurface) {
    const FitPlacement picture = FitToSurface({320, 240}, {640, 640});
    EXPECT_EQ(picture.Destination(), (Rect{0, 80, 640, 560}));
    const FitPlacement placeholder = FitToSurface({1600, 1200}, {640, 640});
    EXPECT_EQ(placeholder.Destination(), (Rect{0, 80, 640, 560}));
    const FitPlacement square = FitToSurface({128, 128}, {640, 640});
    EXPECT_EQ(square.Destination(), (Rect{0, 0, 640, 640}));
}

TEST(FitToSurface, NeverOverflowsAWideOrTallSurface) {
    // Zoomed by the height first, the width would be 800 on a 640-wide surface.
    const FitPlacement tall = FitToSurface({100, 101}, {640, 100});
    EXPECT_LE(tall.drawn.width, 640);
    EXPECT_LE(tall.drawn.height, 100);
    EXPECT_EQ(tall.drawn.height, 100);
    const FitPlacement wide = FitToSurface({400, 100}, {100, 640});
    EXPECT_EQ(wide.drawn, (Extent{100, 25}));
    EXPECT_EQ(wide.offset, (Point{0, 308}));
    // Odd drawn sizes are centred with integer halves.
    const FitPlacement odd = FitToSurface({3, 2}, {7, 7});
    EXPECT_EQ(odd.drawn, (Extent{7, 4}));
    EXPECT_EQ(odd.offset, (Point{0, 1}));
}

TEST(FitToSurface, PictureWithoutPixelsDrawsNothing) {
    const FitPlacement none = FitToSurface({0, 240}, {600, 600});
    EXPECT_EQ(none.drawn, (Extent{0, 0}));
    EXPECT_EQ(none.zoom, 1.0);
    EXPECT_EQ(none.offset, (Point{300, 300}));
}

TEST(SensorToImage, ResultOnTheMonitoringSurface) {
    const Rect result{800, 600, 1000, 900};
    const SurfaceTransform surface = FitToSurface({320, 240}, {640, 640}).Transform();
    const Rect inPicture = SensorToImage(result, 320.0 / 1600, false);
    EXPECT_EQ(inPicture, (Rect{160, 120, 200, 180}));
    EXPECT_EQ(SensorToSurface(inPicture, surface), (Rect{320, 320, 400, 440}));

    // The grey placeholder has the frame's size and scale 1.
    const SurfaceTransform placeholder = FitToSurface({1600, 1200}, {640, 640}).Transform();
    EXPECT_EQ(SensorToSurface(SensorToImage(result, 1.0, false), placeholder), (Rect{320, 320, 400, 440}));
}

TEST(SensorToImage, UnsetAreaCoversTheFrameUpToItsLastPixel) {
    const double s = 320.0 / 1600;
    EXPECT_EQ(SensorToImage(UNSET_RECT, s, false), (Rect{0, 0, 319, 239}));
    EXPECT_EQ(SensorToImage(UNSET_RECT, 1.0, false), (Rect{0, 0, 1599, 1199}));
    EXPECT_EQ(SensorToImage(UNSET_RECT, 1.0, true), (Rect{0, 0, 1199, 1599}));
    // Negative edges truncate toward zero.
    EXPECT_EQ(SensorToImage({-7, -1, 3, 4}, 0.2, false), (Rect{-1, 0, 0, 0}));
}

TEST(EditorMapping, MaskScaleReachesTheSurfaceEdge) {
    const FitPlacement fit = FitToSurface({320, 240}, {600, 600});
    const SurfaceTransform mask{MASK_EDITOR_SCALE, fit.offset.x, fit.offset.y};
    EXPECT_EQ(SensorToSurface(Point{1599, 1199}, mask), (Point{600 + fit.offset.x, 449 + fit.offset.y}));
    EXPECT_EQ(SensorToSurface(Point{0, 0}, mask), (Point{0, 75}));

    const FitPlacement tall = FitToSurface({240, 320}, {600, 600});
    const SurfaceTransform portraitMask{MASK_EDITOR_SCALE, tall.offset.x, tall.offset.y};
    EXPECT_EQ(SensorToSurface(Point{1199, 1599}, portraitMask), (Point{449 + 75, 600}));
}

TEST(EditorMapping, FullFrameOnTheAreaEditorSpansThePicture) {
    const FitPlacement fit = FitToSurface({320, 240}, {600, 600});
    const SurfaceTransform area{AREA_EDITOR_SCALE, fit.offset.x, fit.offset.y};
    const Rect onSurface = SensorToSurface(FullSensorFrame(false), area);
    EXPECT_EQ(onSurface, (Rect{0, 75, 600, 525}));

    const Point origin{12, 40};
    const Rect image = ImageRectOnClient(origin, {600, 600}, fit);
    EXPECT_EQ(image, (Rect{12, 115, 612, 565}));
    const Rect onClient = SurfaceToClient(onSurface, origin);
    EXPECT_TRUE(SpansImage(onClient, image));
    EXPECT_EQ(ClientToSurface(onClient, origin), onSurface);
    EXPECT_FALSE(SpansImage(SurfaceToClient({0, 75, 600, 524}, origin), image));
}

TEST(EditorMapping, SensorSurfaceSensorRoundTrip) {
    const SurfaceTransform mask{MASK_EDITOR_SCALE, 0, 75};
    EXPECT_EQ(SurfaceToSensor(SensorToSurface(Point{100, 100}, mask), mask), (Point{98, 98}));

    const SurfaceTransform area{AREA_EDITOR_SCALE, 75, 0};
    for (const SurfaceTransform& transform : {mask, area}) {
        for (int v = 0; v <= 1600; ++v) {
            const Point there = SensorToSurface(Point{v, 1600 - v}, transform);
            const Point back = SurfaceToSensor(there, transform);
            ASSERT_LE(back.x, v);
            ASSERT_GE(back.x, v - 3);
            ASSERT_LE(back.y, 1600 - v);
            ASSERT_GE(back.y, 1600 - v - 3);
        }
    }
    // Surface edges map back to the frame's edges.
    EXPECT_EQ(SurfaceToSensor(Rect{0, 75, 600, 525}, mask), (Rect{0, 0, 1599, 1199}));
    EXPECT_EQ(SurfaceToSensor(Rect{75, 0, 525, 600}, area), (Rect{0, 0, 1200, 1600}));
}

TEST(EditorMapping, PaintingUsesOriginAndSize) {
    const SurfaceTransform mask{MASK_EDITOR_SCALE, 0, 75};
    const Rect region{100, 100, 200, 200};
    // 100 * k = 37.5 -> 37 and 200 * k = 75.05 -> 75, but the size 100 * k gives 37 + 37 = 74.
    EXPECT_EQ(SensorToSurface(region, mask), (Rect{37, 112, 75, 150}));
    EXPECT_EQ(SensorToPaintRect(region, mask), (Rect{37, 112, 74, 149}));
}

TEST(ImagePixels, SensorValuesInPicturePixels) {
    const double landscape = SensorUnitsPerImagePixel(320, false);
    EXPECT_DOUBLE_EQ(landscape, 5.0);
    EXPECT_EQ(SensorToImagePixel(1599, landscape), 319);
    EXPECT_EQ(SensorToImagePixel(804, landscape), 160);
    const double portrait = SensorUnitsPerImagePixel(240, true);
    EXPECT_EQ(SensorToImagePixel(1199, portrait), 239);
    // A picture without width gives no usable scale, yet no undefined conversion either.
    EXPECT_EQ(SensorToImagePixel(800, SensorUnitsPerImagePixel(0, false)), 0);
}

TEST(TruncToInt, CutsTowardZeroAndSaturates) {
    EXPECT_EQ(TruncToInt(2.9), 2);
    EXPECT_EQ(TruncToInt(-2.9), -2);
    EXPECT_EQ(TruncToInt(1e12), INT_MAX);
    EXPECT_EQ(TruncToInt(-1e12), INT_MIN);
    EXPECT_EQ(TruncToInt(std::numeric_limits<double>::infinity()), INT_MAX);
    EXPECT_EQ(TruncToInt(std::nan("")), 0);
}

} // namespace
} // namespace orlo
