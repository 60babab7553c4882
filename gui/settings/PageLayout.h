#pragma once

#include <QLabel>
#include <QWidget>

namespace orlo {

// Small steps of the settings windows' pixel layouts.

// A label sized to its text, owned by parent.
inline QLabel* MakeLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->adjustSize();
    return label;
}

// The first row below the widget.
inline int Bottom(const QWidget* widget) {
    return widget->geometry().bottom() + 1;
}

// Moves widget to x with its vertical centre on that of anchor.
inline void CentreVertically(QWidget* widget, int x, const QWidget* anchor) {
    widget->move(x, anchor->y() + anchor->height() / 2 - widget->height() / 2);
}

// Moves widget to y with its horizontal centre on that of anchor.
inline void CentreHorizontally(QWidget* widget, const QWidget* anchor, int y) {
    widget->move(anchor->x() + anchor->width() / 2 - widget->width() / 2, y);
}

} // namespace orlo
