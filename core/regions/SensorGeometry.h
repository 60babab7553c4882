#pragma once

#include "core/regions/Geometry.h"

namespace orlo {

// Sensor coordinates: integers, origin at the top-left of the camera picture, y downwards.
inline constexpr std::int32_t SENSOR_LONG_SIDE = 1600;
inline constexpr std::int32_t SENSOR_SHORT_SIDE = 1200;

// The square surface on which every region editor shows the picture.
inline constexpr std::int32_t EDITOR_SURFACE_SIDE = 600;
// Mask editors map the longer frame side minus one onto the surface, the detection-area editor the
// whole side; both in either orientation.
inline constexpr double MASK_EDITOR_SCALE = 600.0 / 1599;
inline constexpr double AREA_EDITOR_SCALE = 600.0 / 1600;

// 1600 x 1200, or 1200 x 1600 when the sensor is mounted in portrait.
Extent SensorFrameSize(bool portrait);
// {0, 0, width, height} of the frame.
Rect FullSensorFrame(bool portrait);

// Truncation toward zero, saturating at the int range (NaN gives 0) so no conversion is undefined.
std::int32_t TruncToInt(double value);

// A point p is drawn at (trunc(p.x * scale) + offsetX, trunc(p.y * scale) + offsetY).
struct SurfaceTransform {
    double scale = 1.0;
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
};

// A picture fitted into a surface keeping its aspect ratio and centred: the zoom, where its top-left
// corner lands and its drawn size.
struct FitPlacement {
    double zoom = 1.0;
    Point offset;
    Extent drawn;

    Rect Destination() const { return {offset.x, offset.y, offset.x + drawn.width, offset.y + drawn.height}; }
    SurfaceTransform Transform() const { return {zoom, offset.x, offset.y}; }
};

// The fit rule of the drawing surfaces: zoom by the surface side that matches the picture's longer
// side, fall back to the other side when the drawn size would overflow, centre with integer halves.
// A picture without pixels is placed at the surface centre with size 0 and zoom 1.
FitPlacement FitToSurface(Extent picture, Extent surface);

// Edge by edge: x' = trunc(x * scale) + offsetX and its inverse x = trunc((x' - offsetX) / scale).
// The inverse loses up to about one surface pixel in sensor units (100 -> 37 -> 98 with the mask scale).
Point SensorToSurface(Point point, const SurfaceTransform& transform);
Point SurfaceToSensor(Point point, const SurfaceTransform& transform);
Rect SensorToSurface(const Rect& rect, const SurfaceTransform& transform);
Rect SurfaceToSensor(const Rect& rect, const SurfaceTransform& transform);

// How a region is painted: from its converted top-left corner by its converted size. Can differ by
// one pixel from SensorToSurface on the right and bottom edges; hit-testing uses SensorToSurface.
Rect SensorToPaintRect(const Rect& rect, const SurfaceTransform& transform);

// Sensor rectangle in the pixels of a picture that is scale times the frame's size (picture width /
// frame width). The unset rectangle stands for the frame up to its last pixel.
Rect SensorToImage(const Rect& rect, double scale, bool portrait);

// Sensor units per pixel of a picture imageWidth wide, and a sensor value in such pixels.
double SensorUnitsPerImagePixel(std::int32_t imageWidth, bool portrait);
std::int32_t SensorToImagePixel(std::int32_t value, double sensorUnitsPerPixel);

// The surface's box sits at origin in the dialog's client area.
Rect SurfaceToClient(const Rect& rect, Point origin);
Rect ClientToSurface(const Rect& rect, Point origin);
// The fitted picture in client coordinates; mouse input is accepted and clamped to it.
Rect ImageRectOnClient(Point origin, Extent surface, const FitPlacement& placement);
// A detection area edited to exactly the picture's size stands for the whole frame (stored unset).
bool SpansImage(const Rect& clientRect, const Rect& imageRect);

} // namespace orlo
