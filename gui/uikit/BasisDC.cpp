#include "gui/uikit/BasisDC.h"

#include "gui/uikit/ImageConvert.h"

#include <QPainter>
#include <QPolygon>
#include <vector>

namespace orlo {

template <typename Draw>
void CBasisDC::Paint(Draw&& draw) {
    if (bitmap_.IsNull()) {
        return;
    }
    QPainter painter(&bitmap_.Image());
    draw(painter);
}

bool CBasisDC::CreateSurface(QSize size) {
    return CreateBitmap(size, 32, false);
}

bool CBasisDC::CreateBitmap(QSize size, int bitsPerPixel, bool withAlpha) {
    zoom_ = 1.0;
    offsetX_ = 0;
    offsetY_ = 0;
    return bitmap_.Create(size.width(), size.height(), bitsPerPixel, withAlpha);
}

void CBasisDC::ReleaseSurface() {
    bitmap_.Release();
}

void CBasisDC::DrawFitted(const QImage& image) {
    if (bitmap_.IsNull()) {
        return;
    }
    const QSize surface = SurfaceSize();
    const FitPlacement placement =
        FitToSurface({image.width(), image.height()}, {surface.width(), surface.height()});
    zoom_ = placement.zoom;
    offsetX_ = placement.offset.x;
    offsetY_ = placement.offset.y;
    DrawImage(image,
              QRect(placement.offset.x, placement.offset.y, placement.drawn.width, placement.drawn.height));
}

void CBasisDC::DrawFitted(const CImageData& picture) {
    DrawFitted(ToQImage(picture));
}

CImageData CBasisDC::ToImage() const {
    if (bitmap_.IsNull()) {
        return {};
    }
    return ToImageData(bitmap_.Image());
}

void CBasisDC::DrawImage(const QImage& image, const QRect& destination) {
    if (image.isNull() || destination.isEmpty()) {
        return;
    }
    // Qt's smooth scaler has a fast path only for 32-bit sources; 24-bit and grey pictures are
    // widened once here instead of per sample.
    const bool fastFormat =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32_Premultiplied;
    const QImage source =
        fastFormat || image.hasAlphaChannel() ? image : image.convertToFormat(QImage::Format_RGB32);
    Paint([&](QPainter& painter) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(destination, source);
    });
}

void CBasisDC::Fill(const QColor& colour) {
    if (!bitmap_.IsNull()) {
        bitmap_.Image().fill(colour);
    }
}

void CBasisDC::SetOffset(QPoint offset) {
    offsetX_ = offset.x();
    offsetY_ = offset.y();
}

QPoint CBasisDC::Map(Point point) const {
    const Point mapped = SensorToSurface(point, Transform());
    return {mapped.x, mapped.y};
}

void CBasisDC::RectOutline(const Rect& rect, const QPen& pen) {
    const Point corners[] = {{rect.left, rect.top},
                             {rect.right, rect.top},
                             {rect.right, rect.bottom},
                             {rect.left, rect.bottom},
                             {rect.left, rect.top}};
    Polyline(corners, pen);
}

void CBasisDC::PointMark(Point point, const QPen& pen) {
    Paint([&](QPainter& painter) {
        painter.setPen(pen);
        painter.drawPoint(Map(point));
    });
}

void CBasisDC::Line(Point from, Point to, const QPen& pen) {
    Paint([&](QPainter& painter) {
        painter.setPen(pen);
        painter.drawLine(Map(from), Map(to));
    });
}

void CBasisDC::Polyline(std::span<const Point> points, const QPen& pen) {
    QPolygon polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Point& point : points) {
        polygon.append(Map(point));
    }
    Paint([&](QPainter& painter) {
        painter.setPen(pen);
        painter.drawPolyline(polygon);
    });
}

void CBasisDC::CircleOutline(Point centre, int diameter, const QPen& pen) {
    const int half = diameter / 2;
    const QPoint topLeft = Map({centre.x - half, centre.y - half});
    const QPoint bottomRight = Map({centre.x - half + diameter, centre.y - half + diameter});
    Paint([&](QPainter& painter) {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRect(topLeft, bottomRight - QPoint(1, 1)));
    });
}

} // namespace orlo
