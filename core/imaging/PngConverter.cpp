#include "core/imaging/PngConverter.h"

#include <cstring>
#include <png.h>
#include <utility>

namespace orlo {

namespace {

// Releases libpng's reader state on every path out of Decode.
class PngImageReader {
public:
    PngImageReader() {
        std::memset(&image_, 0, sizeof image_);
        image_.version = PNG_IMAGE_VERSION;
    }
    PngImageReader(const PngImageReader&) = delete;
    PngImageReader& operator=(const PngImageReader&) = delete;
    ~PngImageReader() { png_image_free(&image_); }

    png_image& Image() { return image_; }

private:
    png_image image_;
};

} // namespace

ImageStatus CPngConverter::Decode(std::span<const std::uint8_t> file, CImageData& destination) {
    if (file.empty()) {
        return ImageStatus::BadData;
    }
    PngImageReader reader;
    png_image& image = reader.Image();
    // The simplified reader keeps libpng's error jumps inside libpng, away from our frames.
    if (png_image_begin_read_from_memory(&image, file.data(), file.size()) == 0) {
        return ImageStatus::BadData;
    }
    if (image.width == 0 || image.height == 0) {
        return ImageStatus::BadData;
    }
    if (image.width > static_cast<png_uint_32>(MAX_IMAGE_SIDE) ||
        image.height > static_cast<png_uint_32>(MAX_IMAGE_SIDE)) {
        return ImageStatus::TooLarge;
    }

    ImageFormat format = ImageFormat::Bgr24;
    if ((image.format & PNG_FORMAT_FLAG_ALPHA) != 0) {
        image.format = PNG_FORMAT_BGRA;
        format = ImageFormat::Bgra32;
    } else if ((image.format & PNG_FORMAT_FLAG_COLOR) == 0) {
        image.format = PNG_FORMAT_GRAY;
        format = ImageFormat::Grey8;
    } else {
        image.format = PNG_FORMAT_BGR;
    }

    CImageData decoded;
    const ImageStatus status =
        decoded.ImageData(static_cast<int>(image.width), static_cast<int>(image.height), format, true);
    if (status != ImageStatus::Ok) {
        return status;
    }
    if (png_image_finish_read(&image, nullptr, decoded.Pixels(), decoded.BytesPerRow(), nullptr) == 0) {
        return ImageStatus::BadData;
    }
    destination = std::move(decoded);
    return ImageStatus::Ok;
}

ImageStatus CPngConverter::Encode(const CImageData& source, std::vector<std::uint8_t>& file) {
    if (!source.HasPixels() ||
        (source.Format() != ImageFormat::Grey8 && source.Format() != ImageFormat::Bgr24)) {
        return ImageStatus::Unsupported;
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(source.Width());
    image.height = static_cast<png_uint_32>(source.Height());
    image.format = source.Format() == ImageFormat::Grey8 ? PNG_FORMAT_GRAY : PNG_FORMAT_BGR;
    // A negative stride walks the rows of a bottom-up picture from the top.
    const png_int_32 stride =
        source.IsRaw() ? source.BytesPerRow() : -static_cast<png_int_32>(source.BytesPerRow());
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, source.Pixels(), stride, nullptr) == 0) {
        png_image_free(&image);
        return ImageStatus::BadData;
    }
    std::vector<std::uint8_t> encoded(size);
    if (png_image_write_to_memory(&image, encoded.data(), &size, 0, source.Pixels(), stride, nullptr) == 0) {
        png_image_free(&image);
        return ImageStatus::BadData;
    }
    encoded.resize(size);
    file = std::move(encoded);
    return ImageStatus::Ok;
}

} // namespace orlo
