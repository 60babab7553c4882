#pragma once

#include <QLineEdit>
#include <cstdint>

namespace orlo {

class CDigitsValidator;

// A one-line edit for integers: it takes digits only, typed or pasted (and a leading minus when
// allowed), and reads and shows its text as a number.
class COrgEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit COrgEdit(QWidget* parent = nullptr);

    void SetValue(std::int32_t value) { SetInt(value); }
    void SetText(const QString& text) { setText(text); }
    QString GetText() const { return text(); }
    // Shows the value as a decimal number.
    virtual void SetInt(std::int32_t value);
    // The text read as a decimal integer: optional blanks and sign, then the leading digits; 0 when
    // there are none. Saturates at the range of the type.
    std::int32_t GetInt() const;
    // Off at first.
    void SetMinusAllowed(bool allowed);

    static std::int32_t ParseLeadingInt(const QString& text);

private:
    CDigitsValidator* digits_;
};

} // namespace orlo
