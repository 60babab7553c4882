#include "gui/editors/MaskAreaDC.h"

#include "gui/editors/EditorTexts.h"

#include <QFontMetrics>

namespace orlo {
namespace {

// The number's box reaches this far below its text.
constexpr int NUMBER_BOX_EXTRA = 8;

QRect ToQRect(const Rect& rect) {
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

} // namespace

CMaskAreaDC::CMaskAreaDC() = default;

bool CMaskAreaDC::CreateFill(std::uint32_t colorRef) {
    return CreateFilled(QSize(FillSide, FillSide), ColourFromColorRef(colorRef), 255);
}

void CMaskAreaDC::DrawRegion(QPainter& painter, const SurfaceTransform& transform, const CTevoArea& record,
                             int selectedNumber, bool showNumbers, int alpha) const {
    const Rect destination = SensorToPaintRect(record.GetRect(), transform);
    AlphaBlendTo(painter, ToQRect(destination), QRect(QPoint(0, 0), SurfaceSize()), alpha, false);
    if (!showNumbers) {
        return;
    }
    // The number sits in the middle of the region: its box starts half a text height above the
    // region's vertical centre and the text is centred across.
    const int textHeight = painter.fontMetrics().height();
    const int top = destination.top + destination.Height() / 2 - textHeight / 2;
    const QRect box(QPoint(destination.left, top),
                    QPoint(destination.right - 1, top + textHeight + NUMBER_BOX_EXTRA - 1));
    painter.setPen(record.GetNumber() == selectedNumber ? selectedText_ : normalText_);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                     QString::number(record.GetNumber()));
}

} // namespace orlo
