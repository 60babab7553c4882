#pragma once

#include <QDialog>

namespace orlo {

// Base of every window of the tool. Qt scales device-independent pixels for the screen, so the pixel
// rules of each window are given in those units; a window lays out its controls and then fits itself
// to them with WindowSizeForClient. Enter, Escape and F1 do nothing: no window of the tool has a
// default button, a cancel key or help unless it says so by overriding keyPressEvent.
class CBasisDialog : public QDialog {
    Q_OBJECT

public:
    explicit CBasisDialog(QWidget* parent = nullptr);

    // Fits the window to a client area of this size; the window system adds its frame.
    void WindowSizeForClient(QSize client);
    QRect ClientRect() const { return rect(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace orlo
