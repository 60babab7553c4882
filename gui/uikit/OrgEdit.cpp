#include "gui/uikit/OrgEdit.h"

#include "gui/uikit/DigitsValidator.h"

#include <algorithm>
#include <limits>

namespace orlo {

COrgEdit::COrgEdit(QWidget* parent) : QLineEdit(parent), digits_(new CDigitsValidator(this)) {
    setValidator(digits_);
}

void COrgEdit::SetMinusAllowed(bool allowed) {
    digits_->SetMinusAllowed(allowed);
}

void COrgEdit::SetInt(std::int32_t value) {
    setText(QString::number(value));
}

std::int32_t COrgEdit::GetInt() const {
    return ParseLeadingInt(text());
}

std::int32_t COrgEdit::ParseLeadingInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr std::int64_t limit = std::numeric_limits<std::int32_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > limit + 1) {
            value = limit + 1;
        }
    }
    if (negative) {
        return static_cast<std::int32_t>(-value);
    }
    return static_cast<std::int32_t>(std::min(value, limit));
}

} // namespace orlo
