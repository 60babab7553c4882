#include "core/report/ReportPicture.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

Rgb PixelAt(const CImageData& image, int x, int y) {
    const std::uint8_t* p = image.Row(y) + x * 3;
    return {p[2], p[1], p[0]};
}

bool Same(Rgb a, Rgb b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

constexpr Rgb Black{0, 0, 0};

// A black 320 x 240 picture: 2 x enlarged, so sensor units are 0.4 pixels.
ReportScene BlackScene() {
    ReportScene scene;
    scene.picture = CImageData(320, 240, ImageFormat::Grey8, true);
    return scene;
}

TEST(ReportPictureTest, RegionsAreDrawnWhereTheSensorHasThem) {
    ReportScene scene = BlackScene();
    scene.detectionAreas = {Rect{0, 0, 800, 600}, UNSET_RECT};
    scene.areaMasks = {{1, {400, 400, 800, 800}}, {2, UNSET_RECT}};
    scene.motionMasks = {{5, {1000, 100, 1400, 500}}};
    scene.falseRects = {{1, {100, 900, 300, 1100}}};
    const CImageData image = ComposeReportPicture(scene);
    ASSERT_EQ(640, image.Width());
    ASSERT_EQ(480, image.Height());
    EXPECT_EQ(ImageFormat::Bgr24, image.Format());
    // The human area's bottom edge at y = 240; the unset motion area is the whole frame (1599 x 1199).
    EXPECT_TRUE(Same(HUMAN_AREA_COLOUR, PixelAt(image, 100, 240)));
    EXPECT_TRUE(Same(MOTION_AREA_COLOUR, PixelAt(image, 639, 200)));
    EXPECT_TRUE(Same(AREA_MASK_REGION_COLOUR, PixelAt(image, 300, 160)));
    EXPECT_TRUE(Same(MOTION_MASK_REGION_COLOUR, PixelAt(image, 500, 200)));
    EXPECT_TRUE(Same(FALSE_RECT_REGION_COLOUR, PixelAt(image, 40, 400)));
    // Inside a mask the picture is untouched, away from its number.
    EXPECT_TRUE(Same(Black, PixelAt(image, 300, 300)));
}

TEST(ReportPictureTest, MasksCarryTheirNumbers) {
    ReportScene scene = BlackScene();
    scene.areaMasks = {{1, {400, 400, 800, 800}}};
    const CImageData one = ComposeReportPicture(scene);
    scene.areaMasks = {{8, {400, 400, 800, 800}}};
    const CImageData eight = ComposeReportPicture(scene);
    int lit = 0;
    int differing = 0;
    // The label lies inside the mask's top-left corner.
    for (int y = 162; y < 190; ++y) {
        for (int x = 162; x < 190; ++x) {
            lit += Same(AREA_MASK_REGION_COLOUR, PixelAt(eight, x, y)) ? 1 : 0;
            differing += Same(PixelAt(one, x, y), PixelAt(eight, x, y)) ? 0 : 1;
        }
    }
    EXPECT_GT(lit, 20);
    EXPECT_GT(differing, 0) << "1 and 8 look alike";
}

TEST(ReportPictureTest, ResultsTakeTheMonitoringColourOfTheirFirstExclusion) {
    ReportScene scene = BlackScene();
    DetectionResult plain{100, 100, 200, 200, 900, 0, 0, 0};
    DetectionResult bySize{300, 100, 400, 200, 900, 0, 1, 0};
    DetectionResult byBoth{500, 100, 600, 200, 900, 1, 1, 0};
    DetectionResult byFalse{700, 100, 800, 200, 900, 0, 0, 1};
    scene.results = {plain, bySize, byBoth, byFalse};
    const CImageData image = ComposeReportPicture(scene);
    // Left edges at x = 40, 120, 200, 280; mid-height y = 60.
    EXPECT_TRUE(Same(PLAIN_RESULT_COLOUR, PixelAt(image, 40, 60)));
    EXPECT_TRUE(Same(SIZE_MASK_RESULT_COLOUR, PixelAt(image, 120, 60)));
    EXPECT_TRUE(Same(AREA_MASK_RESULT_COLOUR, PixelAt(image, 200, 60)));
    EXPECT_TRUE(Same(FALSE_DETECTION_RESULT_COLOUR, PixelAt(image, 280, 60)));
}

TEST(ReportPictureTest, WithoutAPictureTheFrameIsGreyInItsOrientation) {
    ReportScene scene;
    scene.portrait = true;
    scene.detectionAreas = {UNSET_RECT, UNSET_RECT};
    scene.areaMasks = {{3, {-500, -500, 5000, 5000}}}; // beyond the frame: clipped, not a crash
    const CImageData image = ComposeReportPicture(scene);
    ASSERT_EQ(480, image.Width());
    ASSERT_EQ(640, image.Height());
    EXPECT_TRUE(Same(Rgb{128, 128, 128}, PixelAt(image, 240, 320)));
}

} // namespace
} // namespace orlo
