#include "gui/uikit/ImgButton.h"

#include "gui/uikit/Pictures.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>

namespace orlo {

CImgButton::CImgButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
}

CImgButton::CImgButton(const QString& caption, QWidget* parent) : CImgButton(parent) {
    setText(caption);
}

bool CImgButton::Setup(int pictureId, const ImgButtonOptions& options) {
    return Setup(LoadPicture(pictureId), options);
}

bool CImgButton::Setup(const QImage& picture, const ImgButtonOptions& options) {
    // The mouse-over row exists only in pictures made for it, so the cell height follows the rows.
    const int rows = options.hover ? 5 : 4;
    const int columns = std::max(1, options.columns);
    if (picture.isNull() || picture.width() < columns || picture.height() < rows) {
        picture_ = QImage();
        cellSize_ = QSize();
        rows_ = 0;
        update();
        return false;
    }
    picture_ = options.perPixelAlpha ? picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                     : picture.convertToFormat(QImage::Format_RGB32);
    options_ = options;
    options_.columns = columns;
    rows_ = rows;
    cellSize_ = QSize(picture.width() / columns, picture.height() / rows);
    checkState_ = 0;
    resize(cellSize_);
    updateGeometry();
    update();
    return true;
}

void CImgButton::SetCheckState(int state) {
    if (state != checkState_) {
        checkState_ = state;
        update();
    }
}

CImgButton::DrawingState CImgButton::StateFor(bool enabled, bool pressed, bool hovered, bool focused,
                                              bool hoverRow) {
    if (!enabled) {
        return Disabled;
    }
    if (pressed) {
        return Pressed;
    }
    if (hovered && hoverRow) {
        return MouseOver;
    }
    if (focused) {
        return Focused;
    }
    return Normal;
}

CImgButton::DrawingState CImgButton::CurrentState() const {
    return StateFor(isEnabled(), isDown(), hovered_, hasFocus(), rows_ == 5);
}

QRect CImgButton::CurrentCell() const {
    if (picture_.isNull()) {
        return {};
    }
    const int column = std::clamp(checkState_, 0, options_.columns - 1);
    return QRect(QPoint(column * cellSize_.width(), CurrentState() * cellSize_.height()), cellSize_);
}

QSize CImgButton::sizeHint() const {
    return cellSize_.isValid() ? cellSize_ : QSize(80, 32);
}

void CImgButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!picture_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setOpacity(std::clamp(options_.constantAlpha, 0, 255) / 255.0);
        painter.drawImage(rect(), picture_, CurrentCell());
        painter.setOpacity(1.0);
    }
    if (!text().isEmpty()) {
        painter.setPen(
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
    if (options_.focusFrame && hasFocus()) {
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
    }
}

void CImgButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CImgButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace orlo
