#include "core/imaging/ImageData.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <vector>

namespace orlo {
namespace {

std::vector<std::uint8_t> Ramp(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t{0});
    return bytes;
}

TEST(ImageData, EmptyPictureHasNoPixels) {
    CImageData empty;
    EXPECT_EQ(empty.Pixels(), nullptr);
    EXPECT_FALSE(empty.HasPixels());
    EXPECT_EQ(empty.Size(), 0u);

    // A picture of no rows, as the device reports for an acquisition without an image.
    CImageData none(5, 5, ImageFormat::Grey8, true);
    ASSERT_EQ(none.ImageData(0, 0, ImageFormat::Grey8, true, {}), ImageStatus::Ok);
    EXPECT_EQ(none.Pixels(), nullptr);
    EXPECT_EQ(none.Width(), 0);
    EXPECT_EQ(none.Height(), 0);
}

TEST(ImageData, CopiesDeviceBufferAndOwnsTheCopy) {
    std::vector<std::uint8_t> deviceBuffer = Ramp(76800);
    CImageData picture;
    ASSERT_EQ(picture.ImageData(160, 120, ImageFormat::Grey8, true, deviceBuffer), ImageStatus::Ok);
    EXPECT_EQ(picture.Width(), 160);
    EXPECT_EQ(picture.Height(), 120);
    EXPECT_EQ(picture.BytesPerRow(), 160);
    EXPECT_EQ(picture.Size(), 160u * 120u);
    EXPECT_TRUE(picture.IsRaw());
    EXPECT_EQ(picture.Format(), ImageFormat::Grey8);
    EXPECT_EQ(picture.Row(1)[0], static_cast<std::uint8_t>(160));

    // The next acquisition overwrites the buffer; the picture must not change with it.
    std::fill(deviceBuffer.begin(), deviceBuffer.end(), std::uint8_t{0xEE});
    EXPECT_EQ(picture.Row(1)[0], static_cast<std::uint8_t>(160));
    EXPECT_EQ(picture.Row(119)[159], static_cast<std::uint8_t>((119 * 160 + 159) & 0xFF));
}

TEST(ImageData, CopiesAreIndependent) {
    auto original = std::make_unique<CImageData>(4, 2, ImageFormat::Bgr24, true);
    original->Fill(128);
    CImageData copy = *original;
    CImageData assigned;
    assigned = copy;
    copy.Row(0)[0] = 1;
    EXPECT_EQ(original->Row(0)[0], 128);
    EXPECT_EQ(assigned.Row(0)[0], 128);
    original.reset();
    EXPECT_EQ(assigned.Size(), 4u * 3u * 2u);
    EXPECT_EQ(assigned.Row(1)[11], 128);
}

TEST(ImageData, DisplayLayoutIsBottomUpWithRowsPaddedToFourBytes) {
    CImageData raw;
    ASSERT_EQ(raw.ImageData(3, 2, ImageFormat::Bgr24, true), ImageStatus::Ok);
    EXPECT_EQ(raw.BytesPerRow(), 9);
    EXPECT_EQ(raw.Size(), 18u);
    EXPECT_EQ(raw.Row(1), raw.Pixels() + 9);
    BitmapInfo rawInfo = raw.GetBitmapInfo();
    EXPECT_EQ(rawInfo.height, -2);

    CImageData display(3, 2, ImageFormat::Bgr24, false);
    EXPECT_EQ(display.BytesPerRow(), 12);
    EXPECT_EQ(display.Size(), 24u);
    // The top row is stored last.
    EXPECT_EQ(display.Row(0), display.Pixels() + 12);
    EXPECT_EQ(display.Row(1), display.Pixels());
    EXPECT_EQ(display.Row(2), nullptr);
    EXPECT_EQ(display.Row(-1), nullptr);

    BitmapInfo info = display.GetBitmapInfo();
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.bytesPerRow, 12u);
    EXPECT_EQ(info.imageSize, 24u);

    CImageData grey(5, 1, ImageFormat::Grey8, false);
    EXPECT_EQ(grey.BytesPerRow(), 8);
}

TEST(ImageData, RejectsBadDefinitionsAndKeepsThePicture) {
    CImageData picture(2, 2, ImageFormat::Grey8, true);
    picture.Fill(7);
    const std::vector<std::uint8_t> few(3, 0);

    EXPECT_EQ(picture.ImageData(-1, 2, ImageFormat::Grey8, true), ImageStatus::InvalidArgument);
    EXPECT_EQ(picture.ImageData(2, -1, ImageFormat::Grey8, true), ImageStatus::InvalidArgument);
    EXPECT_EQ(picture.ImageData(2, 2, static_cast<ImageFormat>(0x12345678), true),
              ImageStatus::InvalidArgument);
    EXPECT_EQ(picture.ImageData(MAX_IMAGE_SIDE + 1, 1, ImageFormat::Grey8, true), ImageStatus::TooLarge);
    EXPECT_EQ(picture.ImageData(INT_MAX, INT_MAX, ImageFormat::Bgra32, true), ImageStatus::TooLarge);
    // Each side within its limit, but the byte count is not.
    EXPECT_EQ(picture.ImageData(MAX_IMAGE_SIDE, MAX_IMAGE_SIDE, ImageFormat::Bgra32, false),
              ImageStatus::TooLarge);
    EXPECT_EQ(picture.ImageData(2, 2, ImageFormat::Grey8, true, few), ImageStatus::ShortBuffer);

    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(picture.Height(), 2);
    ASSERT_EQ(picture.Size(), 4u);
    EXPECT_EQ(picture.Row(1)[1], 7);

    CImageData rejected(-3, 4, ImageFormat::Grey8, true);
    EXPECT_FALSE(rejected.HasPixels());
}

} // namespace
} // namespace orlo
