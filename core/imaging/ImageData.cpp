#include "core/imaging/ImageData.h"

#include <algorithm>

namespace orlo {

namespace {

struct Layout {
    int bytesPerRow = 0;
    std::size_t size = 0;
};

// Validates the picture's dimensions and computes its row size and byte count in 64-bit arithmetic.
ImageStatus ComputeLayout(int width, int height, ImageFormat format, bool raw, Layout& layout) {
    const int bits = BitsPerPixel(format);
    if (bits == 0 || width < 0 || height < 0) {
        return ImageStatus::InvalidArgument;
    }
    if (width > MAX_IMAGE_SIDE || height > MAX_IMAGE_SIDE) {
        return ImageStatus::TooLarge;
    }
    if (width == 0 || height == 0) {
        layout = {};
        return ImageStatus::Ok;
    }
    std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bits / 8);
    if (!raw) {
        rowBytes = (rowBytes + 3) & ~std::uint64_t{3};
    }
    const std::uint64_t total = rowBytes * static_cast<std::uint64_t>(height);
    if (total > MAX_IMAGE_BYTES) {
        return ImageStatus::TooLarge;
    }
    layout.bytesPerRow = static_cast<int>(rowBytes);
    layout.size = static_cast<std::size_t>(total);
    return ImageStatus::Ok;
}

} // namespace

int BitsPerPixel(ImageFormat format) {
    switch (format) {
    case ImageFormat::Grey8:
        return 8;
    case ImageFormat::Rgb565:
        return 16;
    case ImageFormat::Bgr24:
        return 24;
    case ImageFormat::Bgra32:
        return 32;
    }
    return 0;
}

CImageData::CImageData(int width, int height, ImageFormat format, bool raw) {
    static_cast<void>(ImageData(width, height, format, raw));
}

ImageStatus CImageData::ImageData(int width, int height, ImageFormat format, bool raw) {
    return Define(width, height, format, raw, std::nullopt);
}

ImageStatus CImageData::ImageData(int width, int height, ImageFormat format, bool raw,
                                  std::span<const std::uint8_t> pixels) {
    return Define(width, height, format, raw, pixels);
}

ImageStatus CImageData::Define(int width, int height, ImageFormat format, bool raw,
                               std::optional<std::span<const std::uint8_t>> source) {
    Layout layout;
    const ImageStatus status = ComputeLayout(width, height, format, raw, layout);
    if (status != ImageStatus::Ok) {
        return status;
    }
    if (!source) {
        pixels_.assign(layout.size, 0);
    } else if (source->size() < layout.size) {
        return ImageStatus::ShortBuffer;
    } else {
        pixels_.assign(source->begin(), source->begin() + static_cast<std::ptrdiff_t>(layout.size));
    }
    width_ = layout.size == 0 ? 0 : width;
    height_ = layout.size == 0 ? 0 : height;
    bytesPerRow_ = layout.bytesPerRow;
    format_ = format;
    raw_ = raw;
    return ImageStatus::Ok;
}

void CImageData::Fill(std::uint8_t value) {
    std::fill(pixels_.begin(), pixels_.end(), value);
}

const std::uint8_t* CImageData::Row(int y) const {
    if (y < 0 || y >= height_) {
        return nullptr;
    }
    const int stored = raw_ ? y : height_ - 1 - y;
    return pixels_.data() + static_cast<std::size_t>(stored) * static_cast<std::size_t>(bytesPerRow_);
}

std::uint8_t* CImageData::Row(int y) {
    return const_cast<std::uint8_t*>(static_cast<const CImageData&>(*this).Row(y));
}

BitmapInfo CImageData::GetBitmapInfo() const {
    BitmapInfo info;
    info.width = width_;
    info.height = raw_ ? -height_ : height_;
    info.bitsPerPixel = static_cast<std::uint16_t>(BitsPerPixel(format_));
    info.bytesPerRow = static_cast<std::uint32_t>(bytesPerRow_);
    info.imageSize = static_cast<std::uint32_t>(pixels_.size());
    return info;
}

} // namespace orlo
