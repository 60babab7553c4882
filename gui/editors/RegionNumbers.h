#pragma once

#include "core/regions/Geometry.h"

#include <QWidget>
#include <array>

class QSpinBox;

namespace orlo {

// The selected region's left, top, right and bottom in sensor units, in four spin boxes. A value is
// taken when it is confirmed (Enter, leaving the box, or a step of its arrows); showing a rectangle
// never reports it back.
class CRegionNumbers : public QWidget {
    Q_OBJECT

public:
    explicit CRegionNumbers(QWidget* parent);

    // Fills the boxes and enables them; the unset rectangle empties and disables them.
    void ShowRect(const Rect& rect);
    QSpinBox* Box(int edge) const { return boxes_[static_cast<std::size_t>(edge)]; }

signals:
    // edge: 0 left, 1 top, 2 right, 3 bottom (the order of RegionEdge).
    void edgeTyped(int edge, int value);

private:
    std::array<QSpinBox*, 4> boxes_;
};

} // namespace orlo
