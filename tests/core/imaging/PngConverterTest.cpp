#include "core/imaging/PngConverter.h"

#include <cstring>
#include <gtest/gtest.h>
#include <png.h>
#include <vector>
#include <zlib.h>

namespace orlo {
namespace {

// Encodes pixels (tightly packed, top row first) with libpng.
std::vector<std::uint8_t> WritePng(int width, int height, png_uint_32 format,
                                   const std::vector<std::uint8_t>& pixels) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = format;
    png_alloc_size_t size = 0;
    EXPECT_NE(png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr), 0);
    std::vector<std::uint8_t> file(size);
    EXPECT_NE(png_image_write_to_memory(&image, file.data(), &size, 0, pixels.data(), 0, nullptr), 0);
    file.resize(size);
    return file;
}

// Pseudo-random bytes, so that the compressed image data stays about as long as the pixels.
std::vector<std::uint8_t> Pattern(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t state = 12345;
    for (std::uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return bytes;
}

// Rewrites the size in the header chunk and its checksum, leaving the rest of the file as it was.
std::vector<std::uint8_t> WithHeaderSize(std::vector<std::uint8_t> file, std::uint32_t width,
                                         std::uint32_t height) {
    auto put = [&file](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
        }
    };
    EXPECT_EQ(std::memcmp(file.data() + 12, "IHDR", 4), 0);
    put(16, width);
    put(20, height);
    put(29, static_cast<std::uint32_t>(crc32(0, file.data() + 12, 17)));
    return file;
}

std::vector<std::uint8_t> Bytes(const CImageData& picture) {
    return {picture.Pixels(), picture.Pixels() + picture.Size()};
}

TEST(PngConverter, DecodesGrey) {
    const std::vector<std::uint8_t> pixels = Pattern(5 * 3);
    const std::vector<std::uint8_t> file = WritePng(5, 3, PNG_FORMAT_GRAY, pixels);
    CImageData picture;
    ASSERT_EQ(CPngConverter::Decode(file, picture), ImageStatus::Ok);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Height(), 3);
    EXPECT_EQ(picture.Format(), ImageFormat::Grey8);
    EXPECT_TRUE(picture.IsRaw());
    EXPECT_EQ(Bytes(picture), pixels);
}

TEST(PngConverter, DecodesRgbIntoBlueGreenRed) {
    const std::vector<std::uint8_t> rgb = Pattern(3 * 2 * 3);
    const std::vector<std::uint8_t> file = WritePng(3, 2, PNG_FORMAT_RGB, rgb);
    CImageData picture;
    ASSERT_EQ(CPngConverter::Decode(file, picture), ImageStatus::Ok);
    EXPECT_EQ(picture.Format(), ImageFormat::Bgr24);
    EXPECT_TRUE(picture.IsRaw());
    ASSERT_EQ(picture.Size(), rgb.size());
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        EXPECT_EQ(picture.Pixels()[i], rgb[i + 2]);
        EXPECT_EQ(picture.Pixels()[i + 1], rgb[i + 1]);
        EXPECT_EQ(picture.Pixels()[i + 2], rgb[i]);
    }
}

TEST(PngConverter, KeepsAlpha) {
    const std::vector<std::uint8_t> rgba = {10, 20, 30, 255, 40, 50, 60, 0};
    const std::vector<std::uint8_t> file = WritePng(2, 1, PNG_FORMAT_RGBA, rgba);
    CImageData picture;
    ASSERT_EQ(CPngConverter::Decode(file, picture), ImageStatus::Ok);
    EXPECT_EQ(picture.Format(), ImageFormat::Bgra32);
    ASSERT_EQ(picture.Size(), 8u);
    EXPECT_EQ(picture.Pixels()[0], 30);
    EXPECT_EQ(picture.Pixels()[3], 255);
    EXPECT_EQ(picture.Pixels()[7], 0);
}

class PngConverterFailure : public ::testing::Test {
protected:
    void SetUp() override {
        previous_.ImageData(2, 2, ImageFormat::Grey8, true);
        previous_.Fill(99);
        file_ = WritePng(16, 16, PNG_FORMAT_RGB, Pattern(16 * 16 * 3));
    }

    void ExpectRefused(const std::vector<std::uint8_t>& bytes, ImageStatus expected) {
        CImageData picture = previous_;
        EXPECT_EQ(CPngConverter::Decode(bytes, picture), expected);
        EXPECT_EQ(picture.Width(), 2);
        EXPECT_EQ(picture.Format(), ImageFormat::Grey8);
        EXPECT_EQ(Bytes(picture), Bytes(previous_));
    }

    CImageData previous_;
    std::vector<std::uint8_t> file_;
};

TEST_F(PngConverterFailure, GarbageAndEmptyInput) {
    ExpectRefused({}, ImageStatus::BadData);
    ExpectRefused(Pattern(500), ImageStatus::BadData);
    // A valid signature followed by garbage.
    std::vector<std::uint8_t> signatureOnly(file_.begin(), file_.begin() + 8);
    ExpectRefused(signatureOnly, ImageStatus::BadData);
    signatureOnly.resize(300, 0x41);
    ExpectRefused(signatureOnly, ImageStatus::BadData);
}

TEST_F(PngConverterFailure, TruncatedFiles) {
    // Cuts inside the header chunk, just after it, and at several points of the image data.
    ASSERT_GT(file_.size(), 700u);
    for (std::size_t length : {std::size_t{20}, std::size_t{33}, std::size_t{60}, std::size_t{200},
                               file_.size() / 2, file_.size() - 40}) {
        SCOPED_TRACE(length);
        ExpectRefused(
            std::vector<std::uint8_t>(file_.begin(), file_.begin() + static_cast<std::ptrdiff_t>(length)),
            ImageStatus::BadData);
    }
}

TEST_F(PngConverterFailure, CorruptImageData) {
    std::vector<std::uint8_t> corrupt = file_;
    for (std::size_t i = 45; i < corrupt.size() - 20; ++i) {
        corrupt[i] ^= 0x5A;
    }
    ExpectRefused(corrupt, ImageStatus::BadData);
}

TEST_F(PngConverterFailure, HugeDimensionsAllocateNothing) {
    ExpectRefused(WithHeaderSize(file_, MAX_IMAGE_SIDE + 1, 1), ImageStatus::TooLarge);
    // Within the side limit, but 10000 x 10000 x 3 bytes is far beyond the byte limit.
    ExpectRefused(WithHeaderSize(file_, 10000, 10000), ImageStatus::TooLarge);
    // Sizes whose product overflows 32 bits are refused by the reader itself.
    ExpectRefused(WithHeaderSize(file_, 0x7FFFFFFF, 0x7FFFFFFF), ImageStatus::BadData);
    // A size that does not match the image data.
    ExpectRefused(WithHeaderSize(file_, 64, 64), ImageStatus::BadData);
}

} // namespace
} // namespace orlo
