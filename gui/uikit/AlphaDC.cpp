#include "gui/uikit/AlphaDC.h"

#include "gui/uikit/Pictures.h"

#include <QPainter>
#include <algorithm>

namespace orlo {

bool CAlphaDC::CreateFromPicture(int pictureId, QSize size) {
    return CreateFromImage(LoadPicture(pictureId), size, Mode::Alpha);
}

bool CAlphaDC::CreateFromPicture(int pictureId) {
    return CreateFromImage(LoadPicture(pictureId), Mode::Alpha);
}

bool CAlphaDC::CreateFromImage(const QImage& image, QSize size, Mode mode) {
    if (image.isNull() || !CreateBitmap(size, 32, mode == Mode::Alpha)) {
        return false;
    }
    mode_ = mode;
    QImage& surface = SurfaceBitmap();
    if (image.size() == size) {
        surface = image.convertToFormat(surface.format());
    } else {
        const QImage source = mode == Mode::Alpha ? image : image.convertToFormat(QImage::Format_RGB32);
        QPainter painter(&surface);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), source);
    }
    return true;
}

bool CAlphaDC::CreateFromImage(const QImage& image, Mode mode) {
    return CreateFromImage(image, image.size(), mode);
}

bool CAlphaDC::CreateFilled(QSize size, const QColor& colour, int alpha) {
    const bool withAlpha = alpha < 255;
    if (!CreateBitmap(size, 32, withAlpha)) {
        return false;
    }
    mode_ = withAlpha ? Mode::Alpha : Mode::Plain;
    QColor fill = colour;
    fill.setAlpha(std::clamp(alpha, 0, 255));
    SurfaceBitmap().fill(fill);
    return true;
}

void CAlphaDC::AlphaBlendTo(QPainter& painter, const QRect& destination, const QRect& source,
                            int constantAlpha, bool perPixelAlpha) const {
    const QImage& surface = SurfaceBitmap();
    if (surface.isNull() || destination.isEmpty() || source.isEmpty()) {
        return;
    }
    painter.save();
    painter.setOpacity(std::clamp(constantAlpha, 0, 255) / 255.0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (perPixelAlpha || !surface.hasAlphaChannel()) {
        painter.drawImage(destination, surface, source);
    } else {
        painter.drawImage(destination, surface.copy(source).convertToFormat(QImage::Format_RGB32));
    }
    painter.restore();
}

void CAlphaDC::AlphaBlendTo(CBasisDC& target, const QRect& destination, const QRect& source,
                            int constantAlpha, bool perPixelAlpha) const {
    if (target.SurfaceBitmap().isNull()) {
        return;
    }
    QPainter painter(&target.SurfaceBitmap());
    AlphaBlendTo(painter, destination, source, constantAlpha, perPixelAlpha);
}

void CAlphaDC::AlphaBlendTo(CBasisDC& target, const QRect& destination, int constantAlpha,
                            bool perPixelAlpha) const {
    AlphaBlendTo(target, destination, QRect(QPoint(0, 0), SurfaceSize()), constantAlpha, perPixelAlpha);
}

void CAlphaDC::FillRectAlpha(const QRect& rect, std::uint32_t colour) {
    QImage& surface = SurfaceBitmap();
    const QRect area = rect.normalized() & surface.rect();
    if (area.isEmpty()) {
        return;
    }
    const int red = static_cast<int>(colour & 0xFF);
    const int green = static_cast<int>((colour >> 8) & 0xFF);
    const int blue = static_cast<int>((colour >> 16) & 0xFF);
    if (mode_ == Mode::Plain) {
        QPainter painter(&surface);
        painter.fillRect(area, QColor(red, green, blue));
        return;
    }
    const int alpha = 255 - static_cast<int>((colour >> 24) & 0xFF);
    const QRgb pixel = qRgba(red * 255 / 256, green * 255 / 256, blue * 255 / 256, alpha);
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(surface.scanLine(y));
        std::fill(row + area.left(), row + area.right() + 1, pixel);
    }
}

void CAlphaDC::FillRectAlpha(int x, int y, int width, int height, std::uint32_t colour) {
    FillRectAlpha(QRect(x, y, width, height), colour);
}

} // namespace orlo
