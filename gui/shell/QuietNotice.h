#pragma once

#include <QLabel>

class QGraphicsOpacityEffect;
class QPropertyAnimation;
class QTimer;

namespace orlo {

// A short line in the bottom-right corner of a page saying that an operation succeeded. It takes no focus and
// no clicks, stays a few seconds and then fades out; a new notice replaces the one shown.
class CQuietNotice : public QLabel {
    Q_OBJECT

public:
    static constexpr int SHOWN_MS = 3000;
    static constexpr int FADE_MS = 800;

    explicit CQuietNotice(QWidget* page);

    void Show(const QString& text);

private:
    void Place();

    QGraphicsOpacityEffect* opacity_;
    QTimer* hold_;
    QPropertyAnimation* fade_;
};

} // namespace orlo
