#include "gui/monitor/ResultPainter.h"

#include "core/monitor/DrawingColours.h"
#include "core/regions/SensorGeometry.h"
#include "gui/uikit/Pictures.h"

#include <algorithm>

namespace orlo {

namespace {

QColor ToQColor(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

constexpr int PenWidth = RESULT_PEN_WIDTH;
const QColor HumanAreaColour = ToQColor(HUMAN_AREA_COLOUR);
const QColor MotionAreaColour = ToQColor(MOTION_AREA_COLOUR);

} // namespace

CResultPainter::CResultPainter() {
    surface_.CreateSurface({SurfaceSide, SurfaceSide});
    lamp_.CreateFromPicture(PIC_INDICATOR_LAMP);
}

bool CResultPainter::PenForResult(const DetectionResult& result, int filterBits, QColor& colour) {
    const std::optional<Rgb> chosen = ResultColour(result, filterBits);
    if (chosen) {
        colour = ToQColor(*chosen);
    }
    return chosen.has_value();
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
