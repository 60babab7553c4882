#include "core/regions/RegionPlacement.h"

#include "core/regions/SensorGeometry.h"

#include <algorithm>
#include <cmath>

namespace orlo {
namespace {

// One axis of a region: its low and high edge and the range both must stay in.
struct Span {
    std::int32_t low;
    std::int32_t high;
};

Span FitSpan(Span span, Span bounds, std::int32_t minimumSide) {
    const std::int32_t room = bounds.high - bounds.low;
    const std::int32_t length = std::clamp(span.high - span.low, std::min(minimumSide, room), room);
    const std::int32_t low = std::clamp(span.low, bounds.low, bounds.high - length);
    return {low, low + length};
}

Span TypeLow(Span span, std::int32_t value, Span bounds, std::int32_t minimumSide) {
    const std::int32_t low = std::clamp(value, bounds.low, std::max(bounds.low, bounds.high - minimumSide));
    return {low, std::min(bounds.high, std::max(span.high, low + minimumSide))};
}

Span TypeHigh(Span span, std::int32_t value, Span bounds, std::int32_t minimumSide) {
    const std::int32_t high = std::clamp(value, std::min(bounds.high, bounds.low + minimumSide), bounds.high);
    return {std::max(bounds.low, std::min(span.low, high - minimumSide)), high};
}

Rect FromSpans(Span x, Span y) {
    return {x.low, y.low, x.high, y.high};
}

} // namespace

Rect SensorEdgeBounds(bool portrait) {
    const Extent frame = SensorFrameSize(portrait);
    return {0, 0, frame.width - 1, frame.height - 1};
}

std::int32_t SurfacePixelsToSensor(int pixels, double scale) {
    return TruncToInt(std::lround(pixels / scale));
}

std::int32_t MinimumSensorSide(int minimumSurfacePixels, double scale, std::int32_t floor) {
    return std::max(floor, TruncToInt(std::ceil(minimumSurfacePixels / scale)));
}

Rect FitIntoBounds(const Rect& rect, const Rect& bounds, std::int32_t minimumSide) {
    return FromSpans(FitSpan({rect.left, rect.right}, {bounds.left, bounds.right}, minimumSide),
                     FitSpan({rect.top, rect.bottom}, {bounds.top, bounds.bottom}, minimumSide));
}

Rect WithTypedEdge(const Rect& rect, RegionEdge edge, std::int32_t value, const Rect& bounds,
                   std::int32_t minimumSide) {
    const Rect fitted = FitIntoBounds(rect, bounds, minimumSide);
    Span x{fitted.left, fitted.right};
    Span y{fitted.top, fitted.bottom};
    const Span boundsX{bounds.left, bounds.right};
    const Span boundsY{bounds.top, bounds.bottom};
    switch (edge) {
    case RegionEdge::Left:
        x = TypeLow(x, value, boundsX, minimumSide);
        break;
    case RegionEdge::Right:
        x = TypeHigh(x, value, boundsX, minimumSide);
        break;
    case RegionEdge::Top:
        y = TypeLow(y, value, boundsY, minimumSide);
        break;
    case RegionEdge::Bottom:
        y = TypeHigh(y, value, boundsY, minimumSide);
        break;
    }
    return FromSpans(x, y);
}

Rect MovedRegion(const Rect& rect, std::int32_t dx, std::int32_t dy, const Rect& bounds,
                 std::int32_t minimumSide) {
    const Rect fitted = FitIntoBounds(rect, bounds, minimumSide);
    const Span x = FitSpan({fitted.left + dx, fitted.right + dx}, {bounds.left, bounds.right}, minimumSide);
    const Span y = FitSpan({fitted.top + dy, fitted.bottom + dy}, {bounds.top, bounds.bottom}, minimumSide);
    return FromSpans(x, y);
}

Rect ResizedRegion(const Rect& rect, std::int32_t dRight, std::int32_t dBottom, const Rect& bounds,
                   std::int32_t minimumSide) {
    Rect resized = FitIntoBounds(rect, bounds, minimumSide);
    resized.right =
        std::clamp(resized.right + dRight, std::min(bounds.right, resized.left + minimumSide), bounds.right);
    resized.bottom = std::clamp(resized.bottom + dBottom, std::min(bounds.bottom, resized.top + minimumSide),
                                bounds.bottom);
    return resized;
}

int NextRegionInUse(std::span<const bool> inUse, int current) {
    const int count = static_cast<int>(inUse.size());
    for (int step = 1; step <= count; ++step) {
        const int candidate = ((current + step) % count + count) % count;
        if (inUse[static_cast<std::size_t>(candidate)]) {
            return candidate;
        }
    }
    return -1;
}

} // namespace orlo
