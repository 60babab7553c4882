#pragma once

#include "platform/Ipv4Address.h"

#include <QWidget>
#include <array>

class QLineEdit;

namespace orlo {

// An IPv4 address entered as four numbers 0 to 255 in one framed control. A field selects its text
// when it gets the focus, so typing replaces it. Typing a dot or the third digit moves on to the next
// field (a dot right after such a move is swallowed, so "192.168..." lands as typed), Backspace at the
// start of a field goes back; a number above 255 becomes 255. Pasting a dotted address fills all four
// fields.
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
    // Focuses the field with its text selected.
    void FocusField(int index);
    void OnEdited(int index);
    bool PasteAddress();

    std::array<QLineEdit*, 4> fields_{};
    // The field just entered by the move after a third digit; -1 once anything else happened.
    int movedInto_ = -1;
    int height_ = 0;
};

} // namespace orlo
