#include "core/monitor/PictureComposition.h"

#include <gtest/gtest.h>

namespace orlo {
namespace {

CImageData Grey(int width, int height, std::uint8_t level) {
    CImageData picture(width, height, ImageFormat::Grey8, true);
    picture.Fill(level);
    return picture;
}

CImageData Colour(int width, int height, std::uint8_t level) {
    CImageData picture(width, height, ImageFormat::Bgr24, true);
    picture.Fill(level);
    return picture;
}

const std::uint8_t* Pixel(const CImageData& picture, int x, int y) {
    return picture.Row(y) + x * 3;
}

TEST(OverlayDifference, FullBlockAddsTheTintAtHalfStrength) {
    const CImageData result = OverlayDifference(Colour(320, 240, 0), Grey(128, 128, 255), UNSET_RECT, false,
                                                TintColour::FromConfig(55295));
    // 255 >> 1 = 127: blue 0, green 215 * 127 >> 8 = 106, red 255 * 127 >> 8 = 126.
    EXPECT_EQ(0, Pixel(result, 10, 10)[0]);
    EXPECT_EQ(106, Pixel(result, 10, 10)[1]);
    EXPECT_EQ(126, Pixel(result, 10, 10)[2]);
    // The unset area covers (0, 0) to trunc(1599 x 0.2), trunc(1199 x 0.2): 319 x 239.
    EXPECT_EQ(126, Pixel(result, 318, 238)[2]);
    EXPECT_EQ(0, Pixel(result, 319, 239)[2]);

    const CImageData faint = OverlayDifference(Colour(320, 240, 0), Grey(128, 128, 1), UNSET_RECT, false,
                                               TintColour::FromConfig(55295));
    EXPECT_EQ(0, Pixel(faint, 10, 10)[2]);
}

TEST(OverlayDifference, AddsAreCappedAndStayInsideTheArea) {
    const CImageData result =
        OverlayDifference(Colour(320, 240, 200), Grey(128, 128, 255), {800, 600, 1000, 900}, false,
                          TintColour::FromConfig(0xFFFFFF));
    EXPECT_EQ(255, Pixel(result, 165, 150)[0]); // inside {160, 120, 200, 180}: capped
    EXPECT_EQ(200, Pixel(result, 159, 150)[0]);
    EXPECT_EQ(200, Pixel(result, 200, 150)[0]);
    EXPECT_EQ(200, Pixel(result, 165, 119)[0]);
}

TEST(OverlayDifference, AreaOutsideTheFrameIsClipped) {
    // A sensor reporting an area beyond its frame must not make the tint write outside the picture.
    const CImageData result =
        OverlayDifference(Colour(160, 120, 0), Grey(128, 128, 255), {-400, 1000, 3000, 5000}, false,
                          TintColour::FromConfig(55295));
    EXPECT_EQ(126, Pixel(result, 0, 119)[2]);
    EXPECT_EQ(126, Pixel(result, 159, 119)[2]);
    EXPECT_EQ(0, Pixel(result, 0, 99)[2]);
}

TEST(DisplayForm, GreyBecomesBottomUpColour) {
    CImageData grey(3, 2, ImageFormat::Grey8, true);
    grey.Row(0)[0] = 10;
    grey.Row(1)[2] = 20;
    const CImageData display = DisplayForm(grey);
    EXPECT_EQ(ImageFormat::Bgr24, display.Format());
    EXPECT_FALSE(display.IsRaw());
    EXPECT_EQ(10, display.Row(0)[2]);
    EXPECT_EQ(20, display.Row(1)[8]);
    EXPECT_EQ(12, display.BytesPerRow()); // 9 bytes padded to 4
}

TEST(CycleComposer, MotionCyclesTintOrKeepThePreviousPicture) {
    CycleComposer composer;
    const CImageData picture = Grey(320, 240, 50);
    const CImageData block = Grey(128, 128, 255);
    CycleInput human;
    human.imageKind = 1;
    human.picture = &picture;
    human.results = {{1, 2, 3, 4, 5, 0, 0, 0}};
    human.indicator = true;
    composer.Update(human);
    auto snapshot = composer.Snapshot();
    ASSERT_EQ(320, snapshot->picture.Width());
    EXPECT_EQ(50, snapshot->picture.Row(0)[0]);
    EXPECT_TRUE(snapshot->indicatorOn);

    CycleInput motion;
    motion.imageKind = 1;
    motion.motionCycleWithBlock = true;
    motion.block = &block;
    motion.showDifference = false; // tint switched off: the previous picture stays
    const CImageData brighter = Grey(320, 240, 90);
    motion.picture = &brighter;
    composer.Update(motion);
    EXPECT_EQ(50, composer.Snapshot()->picture.Row(0)[0]);
    EXPECT_FALSE(composer.Snapshot()->indicatorOn);
    EXPECT_EQ(50, snapshot->picture.Row(0)[0]); // an earlier snapshot is never changed

    motion.showDifference = true;
    composer.Update(motion);
    EXPECT_EQ(90 + 126, composer.Snapshot()->picture.Row(0)[2]);

    CycleInput noPicture;
    noPicture.portrait = true;
    composer.Update(noPicture);
    EXPECT_EQ(1200, composer.Snapshot()->picture.Width());
    EXPECT_EQ(128, composer.Snapshot()->picture.Row(5)[5]);
}

} // namespace
} // namespace orlo
