#pragma once

#include "core/monitor/PictureComposition.h"
#include "core/regions/Geometry.h"
#include "gui/uikit/AlphaDC.h"
#include "gui/uikit/BasisDC.h"

#include <QImage>
#include <QPen>
#include <array>

namespace orlo {

// What a paint needs besides the last cycle.
struct PaintSettings {
    bool portrait = false;
    std::array<Rect, 2> detectionAreas{UNSET_RECT, UNSET_RECT}; // human, motion
    std::array<bool, 2> showArea{true, true};                   // the pef switch and IsShowArea both on
    int filterBits = 0;
};

// Draws the monitoring page's 640 x 640 picture area: the picture (or uniform grey) fitted to the
// surface, the detection areas, the result frames coloured by why they were excluded, and the red
// lamp while the indicator is on.
class CResultPainter {
public:
    static constexpr int SurfaceSide = 640;

    CResultPainter();

    void DrawPicture(const DisplaySnapshot& snapshot, const PaintSettings& settings);
    void DrawDisconnected();
    const QImage& Surface() const { return surface_.SurfaceBitmap(); }

    // The pen of a result under the filter bits; false when the result is not drawn.
    static bool PenForResult(const DetectionResult& result, int filterBits, QColor& colour);

private:
    void DrawPlaceholder(bool portrait);
    void OutlineInPicture(const Rect& sensorRect, double scale, bool portrait, const QColor& colour);

    CBasisDC surface_;
    CAlphaDC lamp_;
    CImageData placeholder_;
    bool placeholderPortrait_ = false;
};

} // namespace orlo
