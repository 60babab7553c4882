#pragma once

#include <QValidator>

namespace orlo {

// Lets a numeric field hold decimal digits only, with one leading minus when negatives are allowed,
// so that a mistyped or pasted letter is refused instead of cutting the number short. Ranges are
// the field's own business: any number of digits is acceptable here.
class CDigitsValidator : public QValidator {
    Q_OBJECT

public:
    explicit CDigitsValidator(QObject* parent = nullptr);

    void SetMinusAllowed(bool allowed) { minusAllowed_ = allowed; }
    bool MinusAllowed() const { return minusAllowed_; }

    State validate(QString& text, int& position) const override;

    // Full-width digits and minus signs become their ASCII forms.
    static void NarrowDigits(QString& text);
    // Invalid for any other character; Intermediate while no digit is there yet.
    static State Check(const QString& text, bool minusAllowed);

private:
    bool minusAllowed_ = false;
};

} // namespace orlo
