#include "gui/uikit/RangeEdit.h"

#include "gui/uikit/MessageEvent.h"

#include <QTimer>

namespace orlo {

CRangeEdit::CRangeEdit(QWidget* parent) : COrgEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!replacing_) {
            PostChanged();
        }
    });
}

void CRangeEdit::SetRange(CRange range) {
    range_ = range;
    SetMinusAllowed(range.minimum < 0);
}

void CRangeEdit::SetInt(std::int32_t value) {
    COrgEdit::SetInt(range_.Clamp(value));
}

void CRangeEdit::focusInEvent(QFocusEvent* event) {
    COrgEdit::focusInEvent(event);
    // After the click that gave the focus has placed the caret.
    QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void CRangeEdit::focusOutEvent(QFocusEvent* event) {
    COrgEdit::focusOutEvent(event);
    const std::int32_t value = GetInt();
    if (!text().isEmpty() && range_.Contains(value)) {
        return;
    }
    const std::int32_t replacement =
        (text().isEmpty() || value < range_.minimum) ? range_.minimum : range_.maximum;
    const int caret = cursorPosition();
    replacing_ = true;
    setText(QString::number(replacement));
    replacing_ = false;
    setCursorPosition(caret);
    PostChanged();
}

void CRangeEdit::PostChanged() {
    PostMessageTo(parentWidget(), WM_RANGE_EDIT_CHANGED, 0, 0, this);
}

} // namespace orlo
