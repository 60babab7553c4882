#include "core/imaging/ImgDataConvert.h"

#include <gtest/gtest.h>
#include <vector>

namespace orlo {
namespace {

// A raw grey picture whose pixel at (x, y) is 10 * y + x.
CImageData GreyPicture(int width, int height) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bytes.push_back(static_cast<std::uint8_t>(10 * y + x));
        }
    }
    CImageData picture;
    EXPECT_EQ(picture.ImageData(width, height, ImageFormat::Grey8, true, bytes), ImageStatus::Ok);
    return picture;
}

std::vector<std::uint8_t> Bytes(const CImageData& picture) {
    return {picture.Pixels(), picture.Pixels() + picture.Size()};
}

TEST(ImgDataConvert, GreyBecomesBgrKeepingEachLevel) {
    const CImageData grey = GreyPicture(3, 2);
    CImageData colour(3, 2, ImageFormat::Bgr24, true);
    ASSERT_EQ(CImgDataConvert::ConvertFormat(grey, colour), ImageStatus::Ok);
    const std::vector<std::uint8_t> expected = {0,  0,  0,  1,  1,  1,  2,  2,  2,
                                                10, 10, 10, 11, 11, 11, 12, 12, 12};
    EXPECT_EQ(Bytes(colour), expected);
}

TEST(ImgDataConvert, SurfaceFormatsBecomeBgr) {
    CImageData bgra(2, 1, ImageFormat::Bgra32, true);
    const std::uint8_t bgraBytes[] = {1, 2, 3, 200, 4, 5, 6, 0};
    std::copy(std::begin(bgraBytes), std::end(bgraBytes), bgra.Pixels());
    CImageData fromBgra(2, 1, ImageFormat::Bgr24, true);
    ASSERT_EQ(CImgDataConvert::ConvertFormat(bgra, fromBgra), ImageStatus::Ok);
    EXPECT_EQ(std::vector<std::uint8_t>(fromBgra.Pixels(), fromBgra.Pixels() + 6),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    // Pure red, pure green, pure blue and the mid-level of each channel, little-endian words.
    CImageData rgb565(4, 1, ImageFormat::Rgb565, true);
    const std::uint8_t words[] = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
    std::copy(std::begin(words), std::end(words), rgb565.Pixels());
    CImageData from565(4, 1, ImageFormat::Bgr24, true);
    ASSERT_EQ(CImgDataConvert::ConvertFormat(rgb565, from565), ImageStatus::Ok);
    EXPECT_EQ(std::vector<std::uint8_t>(from565.Pixels(), from565.Pixels() + 12),
              (std::vector<std::uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0, 132, 130, 132}));
}

TEST(ImgDataConvert, BmpIsBottomUpWithPaddedRowsAndRawRestoresIt) {
    const CImageData grey = GreyPicture(3, 2);
    CImageData raw(3, 2, ImageFormat::Bgr24, true);
    ASSERT_EQ(CImgDataConvert::ConvertFormat(grey, raw), ImageStatus::Ok);

    CImageData display(3, 2, ImageFormat::Bgr24, false);
    display.Fill(0xAA);
    ASSERT_EQ(CImgDataConvert::ConvertBmp(raw, display), ImageStatus::Ok);
    ASSERT_EQ(display.Size(), 24u);
    const std::uint8_t* stored = display.Pixels();
    // First stored row is the bottom row (levels 10..12), then 3 bytes of padding, then the top row.
    EXPECT_EQ(stored[0], 10);
    EXPECT_EQ(stored[8], 12);
    EXPECT_EQ(stored[12], 0);
    EXPECT_EQ(stored[20], 2);

    CImageData back(3, 2, ImageFormat::Bgr24, true);
    ASSERT_EQ(CImgDataConvert::ConvertRaw(display, back), ImageStatus::Ok);
    EXPECT_EQ(Bytes(back), Bytes(raw));

    // The same format through ConvertFormat is a plain copy, rows matched top to bottom.
    CImageData copy(3, 2, ImageFormat::Bgr24, true);
    ASSERT_EQ(CImgDataConvert::ConvertFormat(display, copy), ImageStatus::Ok);
    EXPECT_EQ(Bytes(copy), Bytes(raw));
}

TEST(ImgDataConvert, DevicePictureToDisplayForm) {
    std::vector<std::uint8_t> deviceBuffer(76800);
    for (std::size_t i = 0; i < deviceBuffer.size(); ++i) {
        deviceBuffer[i] = static_cast<std::uint8_t>(i / 320); // row number as the level
    }
    CImageData grey;
    ASSERT_EQ(grey.ImageData(320, 240, ImageFormat::Grey8, true, deviceBuffer), ImageStatus::Ok);
    CImageData colour(320, 240, ImageFormat::Bgr24, true);
    ASSERT_EQ(CImgDataConvert::ConvertFormat(grey, colour), ImageStatus::Ok);
    CImageData display(320, 240, ImageFormat::Bgr24, false);
    ASSERT_EQ(CImgDataConvert::ConvertBmp(colour, display), ImageStatus::Ok);
    EXPECT_EQ(display.BytesPerRow(), 960);
    EXPECT_EQ(display.Pixels()[0], 239);
    EXPECT_EQ(display.Pixels()[239 * 960 + 959], 0);
    EXPECT_EQ(display.Row(5)[3 * 100 + 1], 5);
}

TEST(ImgDataConvert, RefusesUnpreparedDestinationsAndLeavesThemAlone) {
    const CImageData grey = GreyPicture(3, 2);
    auto unchanged = [](const CImageData& picture) {
        for (std::size_t i = 0; i < picture.Size(); ++i) {
            if (picture.Pixels()[i] != 0x55) {
                return false;
            }
        }
        return true;
    };

    CImageData wrongSize(3, 3, ImageFormat::Bgr24, true);
    wrongSize.Fill(0x55);
    EXPECT_EQ(CImgDataConvert::ConvertFormat(grey, wrongSize), ImageStatus::Mismatch);
    EXPECT_TRUE(unchanged(wrongSize));

    CImageData displayTarget(3, 2, ImageFormat::Bgr24, false);
    displayTarget.Fill(0x55);
    EXPECT_EQ(CImgDataConvert::ConvertFormat(grey, displayTarget), ImageStatus::Mismatch);
    EXPECT_EQ(CImgDataConvert::ConvertRaw(grey, displayTarget), ImageStatus::Mismatch);
    EXPECT_TRUE(unchanged(displayTarget));

    CImageData otherFormat(3, 2, ImageFormat::Bgr24, false);
    otherFormat.Fill(0x55);
    EXPECT_EQ(CImgDataConvert::ConvertBmp(grey, otherFormat), ImageStatus::Mismatch);
    EXPECT_TRUE(unchanged(otherFormat));

    CImageData colour(3, 2, ImageFormat::Bgr24, true);
    CImageData greyTarget(3, 2, ImageFormat::Grey8, true);
    greyTarget.Fill(0x55);
    EXPECT_EQ(CImgDataConvert::ConvertFormat(colour, greyTarget), ImageStatus::Unsupported);
    EXPECT_TRUE(unchanged(greyTarget));

    CImageData empty;
    EXPECT_EQ(CImgDataConvert::ConvertFormat(grey, empty), ImageStatus::Mismatch);
    EXPECT_EQ(CImgDataConvert::ConvertFormat(colour, colour), ImageStatus::InvalidArgument);
}

} // namespace
} // namespace orlo
