#pragma once

#include "core/device/DetectionCommands.h"
#include "gui/editors/DetectSettingSubDlgBace.h"

#include <QColor>
#include <vector>

namespace orlo {

// Base of the editors that show one detection run of the sensor (human detection with the 320 x 240
// picture) and outline its detections: the false-detection registration and the size mask editor.
// Their scale is the sensor units per picture pixel; rectangles are drawn in picture pixels over the
// fitted picture.
class CDetectionRunDlgBase : public CDetectSettingSubDlgBace {
    Q_OBJECT

public:
    CDetectionRunDlgBase(DeviceSession* session, QWidget* owner);

    // The detections of the last successful load, in the sensor's order.
    const std::vector<DetectionResult>& Detections() const { return detections_; }

    // A sensor rectangle in pixels of the picture (truncating division by the scale).
    Rect ToPicturePixels(const Rect& sensorRect) const;
    static Rect RectOf(const DetectionResult& detection) {
        return {detection.left, detection.top, detection.right, detection.bottom};
    }

protected:
    ResultCode AcquireData(DeviceSession& session, CImageData& picture) override;
    double ScaleFor(const CImageData& picture) const override;
    // Takes over the detections the worker fetched; editors extend it.
    void OnLoaded() override;

    // The work surface with the picture, mapping picture pixels as the picture surface does.
    void DrawPictureForOutlines();
    // A solid 2-pixel outline of a sensor rectangle over the picture.
    void OutlineInPicture(const Rect& sensorRect, const QColor& colour);
    // The picture pixel under a client point.
    Point ClientToPicturePixel(QPoint client) const;

private:
    std::vector<DetectionResult> fetched_; // written by the worker only
    std::vector<DetectionResult> detections_;
};

} // namespace orlo
