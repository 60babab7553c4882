#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orlo {

// Pixel format codes shared with the drawing code.
enum class ImageFormat : std::uint32_t {
    Grey8 = 0x21000044,  // 8-bit grey: the device picture and the motion block
    Bgr24 = 0x45068888,  // bytes blue, green, red
    Bgra32 = 0x41088888, // bytes blue, green, red, alpha (opaque surfaces keep 255 there)
    Rgb565 = 0x49050565, // little-endian 16-bit words, red in the top 5 bits
};

// 0 for a code that is not one of the formats above.
int BitsPerPixel(ImageFormat format);

enum class ImageStatus {
    Ok = 0,
    InvalidArgument, // negative size, unknown format, source and destination the same picture
    TooLarge,        // beyond MAX_IMAGE_SIDE or MAX_IMAGE_BYTES
    ShortBuffer,     // fewer pixel bytes given than the picture needs
    Mismatch,        // destination not prepared as the operation requires
    Unsupported,     // no conversion between these formats
    BadData,         // not a decodable file image
};

// Limits every picture obeys, so a corrupt size from a file or a device never causes a huge allocation.
inline constexpr int MAX_IMAGE_SIDE = 16384;
inline constexpr std::size_t MAX_IMAGE_BYTES = std::size_t{64} << 20;

// Header for drawing a picture's pixels as they are. Height follows the device-independent bitmap
// convention: positive when rows are stored bottom-up, negative when stored top-down.
struct BitmapInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitsPerPixel = 0;
    std::uint32_t bytesPerRow = 0;
    std::uint32_t imageSize = 0;
};

// A picture that owns its pixels; copies are independent.
//
// Two row layouts:
//  - raw: rows top to bottom, packed (bytes per row = width x bytes per pixel), so a device buffer of
//    width x height grey bytes is a raw picture as it stands;
//  - display: a device-independent bitmap: rows bottom-up, each padded to a multiple of 4 bytes.
// An empty picture (width or height 0) has no pixels and a null pixel pointer.
class CImageData {
public:
    CImageData() = default;
    // Zero-filled picture; stays empty when the arguments are rejected by ImageData.
    CImageData(int width, int height, ImageFormat format, bool raw);

    // (Re)defines the picture with its own zero-filled pixels. On failure the picture is unchanged.
    ImageStatus ImageData(int width, int height, ImageFormat format, bool raw);
    // (Re)defines the picture with a copy of as many leading bytes of pixels as it needs, read in the
    // new picture's layout (a longer buffer is fine). On failure the picture is unchanged.
    ImageStatus ImageData(int width, int height, ImageFormat format, bool raw,
                          std::span<const std::uint8_t> pixels);

    void Fill(std::uint8_t value);

    const std::uint8_t* Pixels() const { return pixels_.empty() ? nullptr : pixels_.data(); }
    std::uint8_t* Pixels() { return pixels_.empty() ? nullptr : pixels_.data(); }
    bool HasPixels() const { return !pixels_.empty(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    ImageFormat Format() const { return format_; }
    int BytesPerRow() const { return bytesPerRow_; }
    bool IsRaw() const { return raw_; }
    std::size_t Size() const { return pixels_.size(); }

    // Row y counted from the top in either layout; null when y is outside the picture.
    const std::uint8_t* Row(int y) const;
    std::uint8_t* Row(int y);

    BitmapInfo GetBitmapInfo() const;

private:
    // Without a source the pixels are zero-filled.
    ImageStatus Define(int width, int height, ImageFormat format, bool raw,
                       std::optional<std::span<const std::uint8_t>> source);

    std::vector<std::uint8_t> pixels_;
    int width_ = 0;
    int height_ = 0;
    int bytesPerRow_ = 0;
    ImageFormat format_ = ImageFormat::Grey8;
    bool raw_ = true;
};

} // namespace orlo
