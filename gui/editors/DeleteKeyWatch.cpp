#include "gui/editors/DeleteKeyWatch.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace orlo {
namespace {

bool IsDeleteEvent(const QEvent* event) {
    if (event->type() != QEvent::KeyRelease && event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_Delete || key->isAutoRepeat()) {
        return false;
    }
    return event->type() == QEvent::KeyRelease || key->modifiers().testFlag(Qt::AltModifier);
}

} // namespace

CDeleteKeyWatch::CDeleteKeyWatch(QWidget& editor, std::function<bool()> onDelete)
    : editor_(editor), onDelete_(std::move(onDelete)) {
    QCoreApplication::instance()->installEventFilter(this);
}

CDeleteKeyWatch::~CDeleteKeyWatch() {
    QCoreApplication::instance()->removeEventFilter(this);
}

bool CDeleteKeyWatch::eventFilter(QObject* watched, QEvent* event) {
    if (!IsDeleteEvent(event) || !watched->isWidgetType()) {
        return false;
    }
    // Only keys meant for the editor's own window: a dialog opened over it keeps its Delete key.
    if (static_cast<QWidget*>(watched)->window() != &editor_) {
        return false;
    }
    return onDelete_();
}

} // namespace orlo
