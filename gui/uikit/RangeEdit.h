#pragma once

#include "gui/uikit/OrgEdit.h"
#include "gui/uikit/Range.h"

namespace orlo {

// Posted to the parent after a change of a range edit's text; the event's source is the edit.
inline constexpr int WM_RANGE_EDIT_CHANGED = 0x9401;

// A numeric edit with a range. It shows only values inside the range when given one, selects its
// whole text when it gains the focus, and on losing the focus replaces an empty or out-of-range
// text by the nearer limit. Every change of the text is reported to the parent.
class CRangeEdit : public COrgEdit {
    Q_OBJECT

public:
    explicit CRangeEdit(QWidget* parent = nullptr);

    // A minus can be typed only when the range has negative numbers.
    void SetRange(CRange range);
    CRange Range() const { return range_; }
    void SetInt(std::int32_t value) override;

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void PostChanged();

    CRange range_{0, 0};
    bool replacing_ = false;
};

} // namespace orlo
