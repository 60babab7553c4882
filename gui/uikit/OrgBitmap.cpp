#include "gui/uikit/OrgBitmap.h"

namespace orlo {

bool COrgBitmap::Create(int width, int height, int bitsPerPixel, bool withAlpha) {
    QImage::Format format = QImage::Format_Invalid;
    switch (bitsPerPixel) {
    case 16:
        format = QImage::Format_RGB16;
        break;
    case 24:
        format = QImage::Format_BGR888;
        break;
    case 32:
        format = withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        break;
    default:
        break;
    }
    if (format == QImage::Format_Invalid || width <= 0 || height <= 0) {
        Release();
        return false;
    }
    QImage image(width, height, format);
    if (image.isNull()) {
        Release();
        return false;
    }
    image.fill(withAlpha ? Qt::transparent : Qt::black);
    image_ = std::move(image);
    bitsPerPixel_ = bitsPerPixel;
    return true;
}

void COrgBitmap::Release() {
    image_ = QImage();
    bitsPerPixel_ = 0;
}

} // namespace orlo
