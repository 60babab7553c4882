#include "core/regions/SensorGeometry.h"

#include <cmath>
#include <limits>

namespace orlo {

Extent SensorFrameSize(bool portrait) {
    return portrait ? Extent{SENSOR_SHORT_SIDE, SENSOR_LONG_SIDE}
                    : Extent{SENSOR_LONG_SIDE, SENSOR_SHORT_SIDE};
}

Rect FullSensorFrame(bool portrait) {
    const Extent frame = SensorFrameSize(portrait);
    return {0, 0, frame.width, frame.height};
}

std::int32_t TruncToInt(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    if (value <= lowest) {
        return std::numeric_limits<std::int32_t>::min();
    }
    if (value >= highest) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

FitPlacement FitToSurface(Extent picture, Extent surface) {
    FitPlacement placement;
    if (picture.width <= 0 || picture.height <= 0) {
        placement.offset = {surface.width / 2, surface.height / 2};
        return placement;
    }
    const double w = picture.width;
    const double h = picture.height;
    double zoom = picture.width < picture.height ? surface.height / h : surface.width / w;
    if (TruncToInt(w * zoom) > surface.width) {
        zoom = surface.width / w;
    } else if (TruncToInt(h * zoom) > surface.height) {
        zoom = surface.height / h;
    }
    placement.zoom = zoom;
    placement.drawn = {TruncToInt(w * zoom), TruncToInt(h * zoom)};
    placement.offset = {surface.width / 2 - placement.drawn.width / 2,
                        surface.height / 2 - placement.drawn.height / 2};
    return placement;
}

Point SensorToSurface(Point point, const SurfaceTransform& transform) {
    return {TruncToInt(point.x * transform.scale) + transform.offsetX,
            TruncToInt(point.y * transform.scale) + transform.offsetY};
}

Point SurfaceToSensor(Point point, const SurfaceTransform& transform) {
    return {TruncToInt((point.x - transform.offsetX) / transform.scale),
            TruncToInt((point.y - transform.offsetY) / transform.scale)};
}

Rect SensorToSurface(const Rect& rect, const SurfaceTransform& transform) {
    const Point topLeft = SensorToSurface(Point{rect.left, rect.top}, transform);
    const Point bottomRight = SensorToSurface(Point{rect.right, rect.bottom}, transform);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

Rect SurfaceToSensor(const Rect& rect, const SurfaceTransform& transform) {
    const Point topLeft = SurfaceToSensor(Point{rect.left, rect.top}, transform);
    const Point bottomRight = SurfaceToSensor(Point{rect.right, rect.bottom}, transform);
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

Rect SensorToPaintRect(const Rect& rect, const SurfaceTransform& transform) {
    const Point topLeft = SensorToSurface(Point{rect.left, rect.top}, transform);
    return {topLeft.x, topLeft.y, topLeft.x + TruncToInt(rect.Width() * transform.scale),
            topLeft.y + TruncToInt(rect.Height() * transform.scale)};
}

Rect SensorToImage(const Rect& rect, double scale, bool portrait) {
    if (IsUnset(rect)) {
        const Extent frame = SensorFrameSize(portrait);
        return {0, 0, TruncToInt((frame.width - 1) * scale), TruncToInt((frame.height - 1) * scale)};
    }
    return {TruncToInt(rect.left * scale), TruncToInt(rect.top * scale), TruncToInt(rect.right * scale),
            TruncToInt(rect.bottom * scale)};
}

double SensorUnitsPerImagePixel(std::int32_t imageWidth, bool portrait) {
    return static_cast<double>(SensorFrameSize(portrait).width) / imageWidth;
}

std::int32_t SensorToImagePixel(std::int32_t value, double sensorUnitsPerPixel) {
    return TruncToInt(value / sensorUnitsPerPixel);
}

Rect SurfaceToClient(const Rect& rect, Point origin) {
    return {rect.left + origin.x, rect.top + origin.y, rect.right + origin.x, rect.bottom + origin.y};
}

Rect ClientToSurface(const Rect& rect, Point origin) {
    return {rect.left - origin.x, rect.top - origin.y, rect.right - origin.x, rect.bottom - origin.y};
}

Rect ImageRectOnClient(Point origin, Extent surface, const FitPlacement& placement) {
    return {origin.x + placement.offset.x, origin.y + placement.offset.y,
            origin.x + surface.width - placement.offset.x, origin.y + surface.height - placement.offset.y};
}

bool SpansImage(const Rect& clientRect, const Rect& imageRect) {
    return clientRect.Width() == imageRect.Width() && clientRect.Height() == imageRect.Height();
}

} // namespace orlo
