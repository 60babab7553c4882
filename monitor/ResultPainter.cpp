#include "monitor/ResultPainter.h"

#include "regions/SensorGeometry.h"
#include "uikit/Pictures.h"

#include <algorithm>

namespace orlo {

namespace {

constexpr int PenWidth = 3;
const QColor PlainColour(141, 201, 77);
const QColor AreaMaskColour(237, 125, 49);
const QColor SizeMaskColour(112, 48, 160);
const QColor FalseDetectionColour(255, 0, 0);
const QColor HumanAreaColour(0, 94, 184);
const QColor MotionAreaColour(0, 153, 255);

} // namespace

CResultPainter::CResultPainter() {
    surface_.CreateSurface({SurfaceSide, SurfaceSide});
    lamp_.CreateFromPicture(PIC_INDICATOR_LAMP);
}

bool CResultPainter::PenForResult(const DetectionResult& result, int filterBits, QColor& colour) {
    if ((filterBits & FILTER_AREA_MASK) && result.excludedByAreaMask) {
        colour = AreaMaskColour;
    } else if ((filterBits & FILTER_SIZE_MASK) && result.excludedBySizeMask) {
        colour = SizeMaskColour;
    } else if ((filterBits & FILTER_FALSE_DETECTION) && result.excludedAsFalseDetection) {
        colour = FalseDetectionColour;
    } else if (!result.IsPlain()) {
        return false;
    } else {
        colour = PlainColour;
    }
    return true;
}

void CResultPainter::DrawDisconnected() {
    surface_.Fill(Qt::black);
}

void CResultPainter::DrawPlaceholder(bool portrait) {
    if (!placeholder_.HasPixels() || placeholderPortrait_ != portrait) {
        placeholder_ = GreyFramePicture(portrait, true);
        placeholderPortrait_ = portrait;
    }
    surface_.DrawFitted(placeholder_);
}

void CResultPainter::OutlineInPicture(const Rect& sensorRect, double scale, bool portrait,
                                      const QColor& colour) {
    surface_.RectOutline(SensorToImage(sensorRect, scale, portrait), QPen(colour, PenWidth));
}

void CResultPainter::DrawPicture(const DisplaySnapshot& snapshot, const PaintSettings& settings) {
    surface_.Fill(Qt::black);
    const int frameWidth = SensorFrameSize(settings.portrait).width;
    double scale = 1.0;
    if (snapshot.picture.HasPixels()) {
        surface_.DrawFitted(snapshot.picture);
        scale = static_cast<double>(snapshot.picture.Width()) / frameWidth;
    } else {
        DrawPlaceholder(settings.portrait);
    }
    const std::array<QColor, 2> areaColours = {HumanAreaColour, MotionAreaColour};
    for (std::size_t i = 0; i < settings.detectionAreas.size(); ++i) {
        if (settings.showArea[i]) {
            // SensorToImage maps the unset area to the whole frame.
            OutlineInPicture(settings.detectionAreas[i], scale, settings.portrait, areaColours[i]);
        }
    }
    for (const DetectionResult& result : snapshot.results) {
        QColor colour;
        if (PenForResult(result, settings.filterBits, colour)) {
            OutlineInPicture({result.left, result.top, result.right, result.bottom}, scale, settings.portrait,
                             colour);
        }
    }
    if (snapshot.indicatorOn) {
        const int margin = std::max(surface_.Offset().x(), surface_.Offset().y());
        const int side = margin / 2;
        if (side > 0) {
            lamp_.AlphaBlendTo(surface_, QRect(8, 8, side, side), 255, true);
        }
    }
}

} // namespace orlo
