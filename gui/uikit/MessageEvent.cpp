#include "gui/uikit/MessageEvent.h"

#include <QCoreApplication>

namespace orlo {

CMessageEvent::CMessageEvent(int message, qintptr wParam, qintptr lParam, QObject* source)
    : QEvent(MessageType(message)), wParam_(wParam), lParam_(lParam), source_(source) {}

void PostMessageTo(QObject* target, int message, qintptr wParam, qintptr lParam, QObject* source) {
    if (target == nullptr) {
        return;
    }
    // postEvent takes ownership of the event.
    QCoreApplication::postEvent(target, new CMessageEvent(message, wParam, lParam, source));
}

bool SendMessageTo(QObject* target, int message, qintptr wParam, qintptr lParam, QObject* source) {
    if (target == nullptr) {
        return false;
    }
    CMessageEvent event(message, wParam, lParam, source);
    return QCoreApplication::sendEvent(target, &event);
}

} // namespace orlo
