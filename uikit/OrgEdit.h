#pragma once

#include <QLineEdit>
#include <cstdint>

namespace orlo {

// A one-line edit that also reads and shows integers.
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

    static std::int32_t ParseLeadingInt(const QString& text);
};

} // namespace orlo
