#include "gui/uikit/OrgMFCButton.h"

#include <QPainter>
#include <algorithm>

namespace orlo {
namespace {

constexpr int CONTENT_LEFT = 10;
constexpr int CONTENT_RIGHT = 2;
constexpr int ICON_TEXT_GAP = 6;

} // namespace

COrgMFCButton::COrgMFCButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
}

void COrgMFCButton::SetStandardFace(bool drawn) {
    standardFace_ = drawn;
    setFlat(!drawn);
    update();
}

void COrgMFCButton::SetPressedLook(bool pressed) {
    if (pressed != pressedLook_) {
        pressedLook_ = pressed;
        update();
    }
}

void COrgMFCButton::SetOverlay(const QColor& colour, int alpha) {
    overlay_ = colour;
    overlayAlpha_ = std::clamp(alpha, 0, 255);
    update();
}

void COrgMFCButton::paintEvent(QPaintEvent* event) {
    QColor overlay = overlay_;
    overlay.setAlpha(overlayAlpha_);
    const QRect face = rect().adjusted(1, 1, -1, -1);
    if (standardFace_) {
        QPushButton::paintEvent(event);
        if (pressedLook_) {
            QPainter painter(this);
            painter.fillRect(face, overlay);
        }
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    if (isEnabled() && (isDown() || underMouse())) {
        painter.setBrush(palette().color(isDown() ? QPalette::Midlight : QPalette::Light));
        painter.drawRoundedRect(face, 4, 4);
    }
    if (pressedLook_) {
        painter.setBrush(overlay);
        painter.drawRoundedRect(face, 4, 4);
    }
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(face).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    if (!icon().isNull()) {
        icon().paint(&painter, IconRect(), Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
    }
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(CaptionRect(), Qt::AlignVCenter | Qt::AlignLeft, text());
}

// Icon and text from the left, so that a column of these buttons lines up.
QRect COrgMFCButton::ContentRect() const {
    return rect().adjusted(CONTENT_LEFT, 0, -CONTENT_RIGHT, 0);
}

QRect COrgMFCButton::IconRect() const {
    const QRect content = ContentRect();
    return {QPoint(content.left(), content.center().y() - iconSize().height() / 2 + 1), iconSize()};
}

QRect COrgMFCButton::CaptionRect() const {
    const QRect content = ContentRect();
    const int left = icon().isNull() ? content.left() : IconRect().right() + 1 + ICON_TEXT_GAP;
    return {QPoint(left, content.top()), content.bottomRight()};
}

} // namespace orlo
