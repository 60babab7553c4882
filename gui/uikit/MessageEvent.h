#pragma once

#include <QEvent>
#include <QPointer>

namespace orlo {

// A window message between our windows: a QEvent whose type is the message value (all our values are
// valid user event types) with the two optional parameters and the object that sent it.
class CMessageEvent : public QEvent {
public:
    explicit CMessageEvent(int message, qintptr wParam = 0, qintptr lParam = 0, QObject* source = nullptr);

    int Message() const { return static_cast<int>(type()); }
    qintptr WParam() const { return wParam_; }
    qintptr LParam() const { return lParam_; }
    // Null once the sender has been destroyed.
    QObject* Source() const { return source_; }

private:
    qintptr wParam_;
    qintptr lParam_;
    QPointer<QObject> source_;
};

inline QEvent::Type MessageType(int message) {
    return static_cast<QEvent::Type>(message);
}

// Queued delivery on the target's thread; safe from any thread.
void PostMessageTo(QObject* target, int message, qintptr wParam = 0, qintptr lParam = 0,
                   QObject* source = nullptr);
// Immediate delivery; only from the target's thread.
bool SendMessageTo(QObject* target, int message, qintptr wParam = 0, qintptr lParam = 0,
                   QObject* source = nullptr);

} // namespace orlo
