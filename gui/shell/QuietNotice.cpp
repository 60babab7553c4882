#include "gui/shell/QuietNotice.h"

#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QTimer>

namespace orlo {
namespace {

constexpr int MARGIN = 8;
constexpr int PADDING = 16;

} // namespace

CQuietNotice::CQuietNotice(QWidget* page)
    : QLabel(page), opacity_(new QGraphicsOpacityEffect(this)), hold_(new QTimer(this)),
      fade_(new QPropertyAnimation(opacity_, "opacity", this)) {
    setObjectName(QStringLiteral("quietNotice"));
    setAlignment(Qt::AlignCenter);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("background: rgba(40, 40, 40, 210); color: white; border-radius: 4px;"));
    setGraphicsEffect(opacity_);
    hold_->setSingleShot(true);
    hold_->setInterval(SHOWN_MS);
    fade_->setDuration(FADE_MS);
    fade_->setStartValue(1.0);
    fade_->setEndValue(0.0);
    connect(hold_, &QTimer::timeout, fade_, [this] { fade_->start(); });
    connect(fade_, &QPropertyAnimation::finished, this, &QWidget::hide);
    hide();
}

void CQuietNotice::Show(const QString& text) {
    fade_->stop();
    opacity_->setOpacity(1.0);
    setText(text);
    Place();
    show();
    raise();
    hold_->start();
}

void CQuietNotice::Place() {
    const QWidget* page = parentWidget();
    const QSize size = sizeHint() + QSize(2 * PADDING, PADDING);
    // Clear of the buttons the pages centre at their bottom.
    move(page->width() - MARGIN - size.width(), page->height() - MARGIN - size.height());
    resize(size);
}

} // namespace orlo
