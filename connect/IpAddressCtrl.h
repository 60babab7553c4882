#pragma once

#include "platform/Ipv4Address.h"

#include <QWidget>
#include <array>

class QLineEdit;

namespace orlo {

// An IPv4 address entered as four numbers 0 to 255 in one framed control. Typing a dot or the third
// digit moves on to the next field, Backspace at the start of a field goes back; a number above 255
// becomes 255. Pasting a dotted address fills all four fields.
class CIpAddressCtrl : public QWidget {
    Q_OBJECT

public:
    explicit CIpAddressCtrl(QWidget* parent = nullptr);

    void SetAddress(const Ipv4Address& address);
    // An empty field reads as 0.
    Ipv4Address GetAddress() const;

    QLineEdit* Field(int index) const { return fields_[static_cast<std::size_t>(index)]; }

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int IndexOf(const QObject* field) const;
    void FocusField(int index, bool selectAll);
    void OnEdited(int index);
    bool PasteAddress();

    std::array<QLineEdit*, 4> fields_{};
    int height_ = 0;
};

} // namespace orlo
