#pragma once

#include "core/imaging/ImageData.h"
#include "core/regions/SensorGeometry.h"
#include "core/settings/DetectionSettings.h"
#include "gui/editors/MaskAreaDC.h"
#include "gui/uikit/BasisDC.h"

#include <QFont>
#include <QImage>
#include <array>

namespace orlo {

// The detection page's four preview panels, in page order.
enum class PreviewPanel { AreaMasks = 0, FalseRects = 1, DetectionAreas = 2, MotionMasks = 3 };
inline constexpr int PREVIEW_PANEL_COUNT = 4;

// What the previews show: the page's regions over its current picture.
struct PreviewContent {
    CImageData picture; // empty before the first picture
    DetectionValues values;
    bool portrait = false;
    std::array<int, DETECTION_AREA_COUNT> areaOrder{HUMAN_DETECTION_AREA, MOTION_DETECTION_AREA};
};

// Composes the four 260 x 260 previews of the detection page: the picture fitted in each, then the
// area masks (white), the false-detection rectangles (red), the two detection areas (filled lightly
// and outlined, the first of the order on top) and the motion masks (lilac). The page copies the
// composed surfaces into its panels; they change only when Draw runs again.
class CDetectionPreviews {
public:
    static constexpr int Side = 260;
    // Sensor units to preview pixels once there is a picture, in both orientations.
    static constexpr double RegionScale = 260.0 / SENSOR_LONG_SIDE;
    static constexpr int DetectionAreaAlpha = 75;
    static constexpr int DetectionAreaPenWidth = 4;

    CDetectionPreviews();

    void Draw(const PreviewContent& content, const QFont& font);
    const QImage& Surface(PreviewPanel panel) const {
        return surfaces_[static_cast<std::size_t>(panel)].SurfaceBitmap();
    }
    // Where the picture (or, before the first one, the sensor frame) lies on every surface.
    SurfaceTransform PictureTransform() const { return surfaces_[0].Transform(); }

private:
    void DrawBackgrounds(const CImageData& picture, bool portrait);
    void DrawDetectionAreas(const PreviewContent& content);

    std::array<CBasisDC, PREVIEW_PANEL_COUNT> surfaces_;
    CMaskAreaDC areaMaskPainter_;
    CMaskAreaDC redPainter_; // false-detection rectangles and the human detection area
    CMaskAreaDC motionAreaPainter_;
    CMaskAreaDC motionMaskPainter_;
};

} // namespace orlo
