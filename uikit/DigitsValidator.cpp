#include "uikit/DigitsValidator.h"

namespace orlo {

CDigitsValidator::CDigitsValidator(QObject* parent) : QValidator(parent) {}

QValidator::State CDigitsValidator::validate(QString& text, int&) const {
    return Check(text, minusAllowed_);
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
