#pragma once

#include "core/regions/SensorGeometry.h"
#include "core/regions/TevoArea.h"
#include "gui/uikit/AlphaDC.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <cstdint>
#include <vector>

namespace orlo {

// Opacity (of 255) with which the editors lay a region's colour over the picture.
inline constexpr int REGION_ALPHA = 100;

// How regions are painted over a picture: each region in use gets its colour blended in with a
// constant opacity and its slot number in the middle, red for the selected number.
class CMaskAreaDC : public CAlphaDC {
public:
    static constexpr int FillSide = 100;

    CMaskAreaDC();

    // The source surface of one colour (0x00BBGGRR) that is stretched over every region.
    bool CreateFill(std::uint32_t colorRef);
    void SetNormalTextColour(const QColor& colour) { normalText_ = colour; }
    void SetSelectedTextColour(const QColor& colour) { selectedText_ = colour; }

    // Paints the records in use onto target in slot order, later ones over earlier ones. Regions are
    // placed by origin and size (SensorToPaintRect) with transform.
    template <typename Record>
    void DrawRegions(CBasisDC& target, const SurfaceTransform& transform, const std::vector<Record>& records,
                     int selectedNumber, bool showNumbers, const QFont& font,
                     int alpha = REGION_ALPHA) const {
        QImage& surface = target.SurfaceBitmap();
        if (surface.isNull()) {
            return;
        }
        QPainter painter(&surface);
        painter.setFont(font);
        for (const Record& record : records) {
            if (record.IsSet()) {
                DrawRegion(painter, transform, record, selectedNumber, showNumbers, alpha);
            }
        }
    }

private:
    void DrawRegion(QPainter& painter, const SurfaceTransform& transform, const CTevoArea& record,
                    int selectedNumber, bool showNumbers, int alpha) const;

    QColor normalText_{Qt::black};
    QColor selectedText_{Qt::red};
};

} // namespace orlo
