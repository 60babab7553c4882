#pragma once

#include "core/imaging/ImageData.h"
#include "core/regions/Geometry.h"
#include "core/regions/SensorGeometry.h"
#include "gui/uikit/OrgBitmap.h"

#include <QImage>
#include <QPen>
#include <span>

class QPainter;

namespace orlo {

// An off-screen drawing surface that maps the caller's coordinates (sensor or picture pixels) to its
// own: a point (x, y) is drawn at (trunc(x * zoom) + offset x, trunc(y * zoom) + offset y). Drawing is
// aliased so outlines land on whole pixels.
class CBasisDC {
public:
    CBasisDC() = default;
    virtual ~CBasisDC() = default;

    // A black 32-bit surface of this size; false (and no surface) for an empty or huge size.
    bool CreateSurface(QSize size);
    void ReleaseSurface();

    // Stretches the picture over the largest centred rectangle of the surface that keeps its aspect
    // ratio and keeps that zoom and offset for what is drawn over it.
    void DrawFitted(const QImage& image);
    void DrawFitted(const CImageData& picture);
    // The surface as a raw picture of the image library; empty without a surface.
    CImageData ToImage() const;
    // The picture stretched into destination (surface pixels, not transformed).
    void DrawImage(const QImage& image, const QRect& destination);
    void Fill(const QColor& colour);

    void RectOutline(const Rect& rect, const QPen& pen);
    void PointMark(Point point, const QPen& pen);
    void Line(Point from, Point to, const QPen& pen);
    void Polyline(std::span<const Point> points, const QPen& pen);
    void CircleOutline(Point centre, int diameter, const QPen& pen);

    QSize SurfaceSize() const { return bitmap_.Size(); }
    double Zoom() const { return zoom_; }
    QPoint Offset() const { return {offsetX_, offsetY_}; }
    void SetZoom(double zoom) { zoom_ = zoom; }
    void SetOffset(QPoint offset);
    SurfaceTransform Transform() const { return {zoom_, offsetX_, offsetY_}; }
    // A surface point for a caller's point.
    QPoint Map(Point point) const;
    const QImage& SurfaceBitmap() const { return bitmap_.Image(); }
    QImage& SurfaceBitmap() { return bitmap_.Image(); }

protected:
    bool CreateBitmap(QSize size, int bitsPerPixel, bool withAlpha);

private:
    // Runs draw with a painter on the surface; nothing without a surface.
    template <typename Draw>
    void Paint(Draw&& draw);

    COrgBitmap bitmap_;
    double zoom_ = 1.0;
    std::int32_t offsetX_ = 0;
    std::int32_t offsetY_ = 0;
};

} // namespace orlo
