#include "gui/editors/DetectionRunDlgBase.h"

#include <QPen>

namespace orlo {
namespace {

constexpr int PICTURE_KIND = 1;
constexpr int OUTLINE_WIDTH = 2;

} // namespace

CDetectionRunDlgBase::CDetectionRunDlgBase(DeviceSession* session, QWidget* owner)
    : CDetectSettingSubDlgBace(session, owner) {}

Rect CDetectionRunDlgBase::ToPicturePixels(const Rect& sensorRect) const {
    const double unitsPerPixel = Scale();
    return {SensorToImagePixel(sensorRect.left, unitsPerPixel),
            SensorToImagePixel(sensorRect.top, unitsPerPixel),
            SensorToImagePixel(sensorRect.right, unitsPerPixel),
            SensorToImagePixel(sensorRect.bottom, unitsPerPixel)};
}

ResultCode CDetectionRunDlgBase::AcquireData(DeviceSession& session, CImageData& picture) {
    fetched_.clear();
    bool indicator = false;
    std::vector<CImageData> blocks;
    return DetectOnce(session, PICTURE_KIND, false, FUNCTION_HUMAN_DETECTION, fetched_, indicator, picture,
                      blocks);
}

double CDetectionRunDlgBase::ScaleFor(const CImageData& picture) const {
    return SensorUnitsPerImagePixel(picture.Width(), Portrait());
}

void CDetectionRunDlgBase::OnLoaded() {
    detections_ = std::move(fetched_);
    fetched_.clear();
}

void CDetectionRunDlgBase::DrawPictureForOutlines() {
    DrawPictureOnWorkSurface();
    WorkSurfaceDC().SetZoom(PictureSurface().Zoom());
    WorkSurfaceDC().SetOffset(PictureSurface().Offset());
}

void CDetectionRunDlgBase::OutlineInPicture(const Rect& sensorRect, const QColor& colour) {
    WorkSurfaceDC().RectOutline(ToPicturePixels(sensorRect), QPen(colour, OUTLINE_WIDTH, Qt::SolidLine));
}

Point CDetectionRunDlgBase::ClientToPicturePixel(QPoint client) const {
    const Point offset = PictureOffset();
    const double zoom = PictureSurface().Zoom();
    return {TruncToInt((client.x() - DisplayBox().left() - offset.x) / zoom),
            TruncToInt((client.y() - DisplayBox().top() - offset.y) / zoom)};
}

} // namespace orlo
