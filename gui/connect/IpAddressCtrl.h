#pragma once

#include "core/platform/Ipv4Address.h"

#include <QWidget>
#include <array>

class QKeyEvent;
class QLineEdit;

namespace orlo {

// An IPv4 address entered as four numbers 0 to 255 in one framed control, edited like one line of
// text whose dots stay where they are:
// - A number is selected when its field gets the focus or is clicked (a drag selects part of it), so
//   typing replaces it; Ctrl+A selects the whole address, and typing then starts a new one.
// - A typed digit replaces the selection, or else the number from the caret on, so typing from
//   anywhere in a number gives the typed number. The third digit or a dot moves on to the next number
//   (a dot right after such a move is swallowed, so "192.168..." lands as typed); a digit typed at the
//   end of a full number goes on into the next one. A number above 255 becomes 255.
// - Home and End go to the start of the first and the end of the last number; Left, Right and
//   Backspace step over a dot, Delete at the end of a number deletes the next digit after it.
// - Pasting a dotted address fills all four numbers; copying the whole address copies it dotted.
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
    // A click beside the numbers (frame, dots) goes into the nearest number.
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int IndexOf(const QObject* field) const;
    // Focuses the field with its text selected.
    void FocusField(int index);
    // Puts the caret at the start (or the end) of the field, nothing selected.
    void PlaceCaret(int index, bool atEnd);
    // Consumes the keys with a meaning across the fields; false leaves the key to the field.
    bool HandleKey(int index, const QKeyEvent& key);
    void TypeDigit(int index, QChar digit);
    void DeleteAfterDot(int index);
    void SelectWhole();
    void DeselectWhole();
    void OnEdited(int index);
    bool PasteAddress();

    std::array<QLineEdit*, 4> fields_{};
    // The field just entered by the move after a third digit; -1 once anything else happened.
    int movedInto_ = -1;
    bool wholeSelected_ = false;
    int height_ = 0;
};

} // namespace orlo
