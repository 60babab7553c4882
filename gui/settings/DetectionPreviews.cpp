#include "gui/settings/DetectionPreviews.h"

#include "gui/editors/EditorTexts.h"
#include "gui/uikit/ImageConvert.h"

#include <QPen>

namespace orlo {
namespace {

constexpr std::uint32_t AREA_MASK_FILL = 0xFFFFFF;
constexpr std::uint32_t RED_FILL = 0x0000FF;
constexpr std::uint32_t MOTION_AREA_FILL = 0x00D7FF;
constexpr std::uint32_t MOTION_MASK_FILL = 0xBFA6CC;
constexpr int NO_SELECTION = -1;

QRect ToQRect(const Rect& rect) {
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

} // namespace

CDetectionPreviews::CDetectionPreviews() {
    for (CBasisDC& surface : surfaces_) {
        surface.CreateSurface({Side, Side});
    }
    areaMaskPainter_.CreateFill(AREA_MASK_FILL);
    redPainter_.CreateFill(RED_FILL);
    motionAreaPainter_.CreateFill(MOTION_AREA_FILL);
    motionMaskPainter_.CreateFill(MOTION_MASK_FILL);
}

void CDetectionPreviews::DrawBackgrounds(const CImageData& picture, bool portrait) {
    CBasisDC& first = surfaces_[0];
    first.Fill(Qt::black);
    if (picture.HasPixels()) {
        first.DrawFitted(ToQImage(picture));
    } else {
        // Black, with the regions placed as they will lie over the picture: the frame fitted.
        const FitPlacement frame = FitToSurface(SensorFrameSize(portrait), {Side, Side});
        first.SetZoom(frame.zoom);
        first.SetOffset({frame.offset.x, frame.offset.y});
    }
    for (std::size_t i = 1; i < surfaces_.size(); ++i) {
        surfaces_[i].SurfaceBitmap() = first.SurfaceBitmap().copy();
        surfaces_[i].SetZoom(first.Zoom());
        surfaces_[i].SetOffset(first.Offset());
    }
}

void CDetectionPreviews::Draw(const PreviewContent& content, const QFont& font) {
    DrawBackgrounds(content.picture, content.portrait);
    const QPoint offset = surfaces_[0].Offset();
    const SurfaceTransform regions{RegionScale, offset.x(), offset.y()};
    const auto surface = [this](PreviewPanel panel) -> CBasisDC& {
        return surfaces_[static_cast<std::size_t>(panel)];
    };
    const DetectionValues& values = content.values;
    areaMaskPainter_.DrawRegions(surface(PreviewPanel::AreaMasks), regions, values.areaMasks, NO_SELECTION,
                                 true, font);
    redPainter_.DrawRegions(surface(PreviewPanel::FalseRects), regions, values.falseRects, NO_SELECTION, true,
                            font);
    DrawDetectionAreas(content);
    motionMaskPainter_.DrawRegions(surface(PreviewPanel::MotionMasks), regions, values.motionMasks,
                                   NO_SELECTION, true, font);
}

void CDetectionPreviews::DrawDetectionAreas(const PreviewContent& content) {
    CBasisDC& surface = surfaces_[static_cast<std::size_t>(PreviewPanel::DetectionAreas)];
    // Sensor units to picture pixels; without a picture the frame stands in for it.
    const double imageScale = content.picture.HasPixels() ? static_cast<double>(content.picture.Width()) /
                                                                SensorFrameSize(content.portrait).width
                                                          : 1.0;
    const std::array<Rect, DETECTION_AREA_COUNT> areas{content.values.humanArea, content.values.motionArea};
    const std::array<const CMaskAreaDC*, DETECTION_AREA_COUNT> painters{&redPainter_, &motionAreaPainter_};
    const std::array<QColor, DETECTION_AREA_COUNT> pens{ColourFromColorRef(RED_FILL),
                                                        ColourFromColorRef(MOTION_AREA_FILL)};
    // From the last of the order to the first, so that the first lies on top.
    for (auto id = content.areaOrder.rbegin(); id != content.areaOrder.rend(); ++id) {
        const auto area = static_cast<std::size_t>(*id);
        // SensorToImage takes the unset area as the whole frame.
        const Rect inPicture = SensorToImage(areas[area], imageScale, content.portrait);
        painters[area]->AlphaBlendTo(surface, ToQRect(SensorToSurface(inPicture, surface.Transform())),
                                     DetectionAreaAlpha, false);
        surface.RectOutline(inPicture, QPen(pens[area], DetectionAreaPenWidth));
    }
}

} // namespace orlo
