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
// clicks the button with the mouse, once, and notes when, what the dialog showed then and when its
// run ended.
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
    // Milliseconds from the click to the end of the dialog's run; -1 while it runs.
    double MsFromPressToEnd() const {
        return pressedAt_ && endedAt_
                   ? std::chrono::duration<double, std::milli>(*endedAt_ - *pressedAt_).count()
                   : -1;
    }
    // The dialog's elapsed-time text at the click; empty when it showed none.
    const QString& ElapsedAtPress() const { return elapsedAtPress_; }
    // The nominal duration of the run that was given up, in milliseconds.
    int NominalMs() const { return nominalMs_; }

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
        nominalMs_ = dialog->ProgressMaximum();
        QObject::connect(dialog, &QDialog::finished, &timer_, [this] {
            if (!endedAt_) {
                endedAt_ = Clock::now();
            }
        });
        pressedAt_ = Clock::now();
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    std::chrono::milliseconds after_;
    QTimer timer_;
    std::optional<Clock::time_point> seenAt_;
    std::optional<Clock::time_point> pressedAt_;
    std::optional<Clock::time_point> endedAt_;
    QString elapsedAtPress_;
    int nominalMs_ = 0;
};

} // namespace orlo::test
