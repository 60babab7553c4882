#include "gui/uikit/DigitsValidator.h"

namespace orlo {

CDigitsValidator::CDigitsValidator(QObject* parent) : QValidator(parent) {}

QValidator::State CDigitsValidator::validate(QString& text, int&) const {
    NarrowDigits(text);
    return Check(text, minusAllowed_);
}

void CDigitsValidator::NarrowDigits(QString& text) {
    // A Japanese input method in its usual mode types full-width digits; they mean the same number.
    for (QChar& c : text) {
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19)) {
            c = QChar(u'0' + (c.unicode() - 0xFF10));
        } else if (c == QChar(0xFF0D) || c == QChar(0x2212)) {
            c = u'-';
        }
    }
}

QValidator::State CDigitsValidator::Check(const QString& text, bool minusAllowed) {
    const qsizetype start = minusAllowed && text.startsWith(u'-') ? 1 : 0;
    for (qsizetype i = start; i < text.size(); ++i) {
        // Not QChar::isDigit: the number is read from ASCII digits only.
        if (text[i] < u'0' || text[i] > u'9') {
            return Invalid;
        }
    }
    return text.size() > start ? Acceptable : Intermediate;
}

} // namespace orlo
