#include "gui/uikit/ImageConvert.h"

#include <cstring>
#include <vector>

namespace orlo {
namespace {

QImage::Format QtFormat(ImageFormat format) {
    switch (format) {
    case ImageFormat::Grey8:
        return QImage::Format_Grayscale8;
    case ImageFormat::Bgr24:
        return QImage::Format_BGR888;
    case ImageFormat::Bgra32:
        return QImage::Format_ARGB32; // bytes B, G, R, A on little-endian machines
    case ImageFormat::Rgb565:
        return QImage::Format_RGB16;
    }
    return QImage::Format_Invalid;
}

} // namespace

QImage ToQImage(const CImageData& picture) {
    const QImage::Format format = QtFormat(picture.Format());
    if (!picture.HasPixels() || format == QImage::Format_Invalid) {
        return {};
    }
    QImage image(picture.Width(), picture.Height(), format);
    if (image.isNull()) {
        return {};
    }
    const std::size_t rowBytes =
        static_cast<std::size_t>(picture.Width()) * BitsPerPixel(picture.Format()) / 8;
    for (int y = 0; y < picture.Height(); ++y) {
        std::memcpy(image.scanLine(y), picture.Row(y), rowBytes);
    }
    return image;
}

CImageData ToImageData(const QImage& image) {
    ImageFormat format{};
    QImage source;
    switch (image.depth()) {
    case 16:
        format = ImageFormat::Rgb565;
        source = image.convertToFormat(QImage::Format_RGB16);
        break;
    case 24:
        format = ImageFormat::Bgr24;
        source = image.convertToFormat(QImage::Format_BGR888);
        break;
    case 32:
        format = ImageFormat::Bgra32;
        source = image.convertToFormat(QImage::Format_ARGB32);
        break;
    default:
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>(source.width()) * BitsPerPixel(format) / 8;
    std::vector<std::uint8_t> packed(rowBytes * static_cast<std::size_t>(source.height()));
    for (int y = 0; y < source.height(); ++y) {
        std::memcpy(packed.data() + rowBytes * static_cast<std::size_t>(y), source.constScanLine(y),
                    rowBytes);
    }
    CImageData picture;
    picture.ImageData(source.width(), source.height(), format, true, packed);
    return picture;
}

} // namespace orlo
