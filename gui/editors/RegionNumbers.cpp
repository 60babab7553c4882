#include "gui/editors/RegionNumbers.h"

#include "gui/editors/RegionEditTexts.h"
#include "gui/uikit/StringText.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

namespace orlo {
namespace {

// Wider than any frame so that the placement rules, not the box, clamp a typed value.
constexpr int TYPED_MIN = -9999;
constexpr int TYPED_MAX = 9999;
constexpr const char* BOX_NAMES[] = {"leftNumber", "topNumber", "rightNumber", "bottomNumber"};

} // namespace

CRegionNumbers::CRegionNumbers(QWidget* parent) : QWidget(parent) {
    auto* layout = new QGridLayout(this); // owned by the widget
    layout->setContentsMargins(0, 0, 0, 0);
    for (int edge = 0; edge < 4; ++edge) {
        auto* box = new QSpinBox(this);
        box->setObjectName(QLatin1String(BOX_NAMES[edge]));
        box->setRange(TYPED_MIN, TYPED_MAX);
        box->setKeyboardTracking(false);
        box->setEnabled(false);
        auto* label = new QLabel(StringText(CAP_REGION_LEFT + edge), this);
        label->setBuddy(box);
        layout->addWidget(label, edge / 2, (edge % 2) * 2);
        layout->addWidget(box, edge / 2, (edge % 2) * 2 + 1);
        connect(box, &QSpinBox::valueChanged, this, [this, edge](int value) { emit edgeTyped(edge, value); });
        boxes_[static_cast<std::size_t>(edge)] = box;
    }
}

void CRegionNumbers::ShowRect(const Rect& rect) {
    const bool shown = !IsUnset(rect);
    const int values[] = {rect.left, rect.top, rect.right, rect.bottom};
    for (std::size_t edge = 0; edge < boxes_.size(); ++edge) {
        QSpinBox& box = *boxes_[edge];
        const QSignalBlocker blocker(box);
        box.setEnabled(shown);
        box.setSpecialValueText(shown ? QString() : QStringLiteral(" "));
        box.setValue(shown ? values[edge] : TYPED_MIN);
    }
}

} // namespace orlo
