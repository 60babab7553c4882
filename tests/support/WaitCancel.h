#pragma once

#include "core/strings/StringTable.h"
#include "gui/shell/WaitDlg.h"
#include "gui/uikit/ImgButton.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <optional>
#include <utility>

namespace orlo::test {

// The seconds of the wait dialog's "N 秒 / M 秒", or -1 each when the text is not of that form.
inline std::pair<int, int> ElapsedSeconds(const QString& text) {
    const std::string_view format = LoadString(9032);
    QStringList pieces =
        QString::fromUtf8(format.data(), static_cast<qsizetype>(format.size())).split(QStringLiteral("%d"));
    for (QString& piece : pieces) {
        piece = QRegularExpression::escape(piece);
    }
    const QRegularExpression pattern(QLatin1Char('^') + pieces.join(QStringLiteral("(\\d+)")) +
                                     QLatin1Char('$'));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? std::pair{match.captured(1).toInt(), match.captured(2).toInt()}
                            : std::pair{-1, -1};
}

// Plays the user who gives up: once a wait dialog shows "中止" and has been on screen for `after`, it
// clicks the button with the mouse, once, and notes when and what the dialog showed then.
class WaitCancel {
public:
    using Clock = std::chrono::steady_clock;

    explicit WaitCancel(std::chrono::milliseconds after = std::chrono::milliseconds(0)) : after_(after) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(10);
    }

    bool Pressed() const { return pressedAt_.has_value(); }
    // Milliseconds from the click to now; -1 before it.
    long long MsSincePress() const {
        return pressedAt_
                   ? std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *pressedAt_).count()
                   : -1;
    }
    // The dialog's elapsed-time text at the click; empty when it showed none.
    const QString& ElapsedAtPress() const { return elapsedAtPress_; }

private:
    void Look() {
        auto* dialog = qobject_cast<CWaitDlg*>(QApplication::activeModalWidget());
        CImgButton* button = dialog != nullptr ? dialog->CancelButton() : nullptr;
        if (Pressed() || button == nullptr || !button->isVisible() || !button->isEnabled()) {
            return;
        }
        if (!seenAt_) {
            seenAt_ = Clock::now();
        }
        if (Clock::now() - *seenAt_ < after_) {
            return;
        }
        if (dialog->ElapsedText()->isVisible()) {
            elapsedAtPress_ = dialog->ElapsedText()->text();
        }
        pressedAt_ = Clock::now();
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    std::chrono::milliseconds after_;
    QTimer timer_;
    std::optional<Clock::time_point> seenAt_;
    std::optional<Clock::time_point> pressedAt_;
    QString elapsedAtPress_;
};

} // namespace orlo::test
