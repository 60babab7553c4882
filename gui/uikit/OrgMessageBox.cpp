#include "gui/uikit/OrgMessageBox.h"

#include "core/strings/CaptionIds.h"
#include "gui/uikit/StringText.h"

#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace orlo {
namespace {

constexpr int STR_MESSAGE_CAPTION = 9020;
// Beyond this a line may wrap; below it the box is as wide as its longest line.
constexpr int MAX_TEXT_WIDTH = 720;

// The box's own wrapping breaks Japanese text anywhere, often inside a word, so the label is made
// wide enough for its longest line.
void FitTextWidth(QMessageBox& box, const QString& text) {
    const QFontMetrics metrics(box.font());
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        widest = std::max(widest, metrics.horizontalAdvance(line));
    }
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label { min-width: %1px; }")
                          .arg(std::min(widest + 1, MAX_TEXT_WIDTH)));
}

} // namespace

MessageAnswer COrgMessageBox::Show(QWidget* parent, const QString& text, MessageButtons buttons,
                                   MessageIcon icon) {
    if (!presetAnswers_.empty()) {
        const MessageAnswer answer = presetAnswers_.front();
        presetAnswers_.pop_front();
        answeredTexts_ << text;
        return answer;
    }
    QMessageBox box(parent);
    box.setWindowTitle(StringText(STR_MESSAGE_CAPTION));
    box.setText(text);
    FitTextWidth(box, text);
    switch (icon) {
    case MessageIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    }
    if (buttons == MessageButtons::Ok) {
        box.addButton(StringText(CAP_OK), QMessageBox::AcceptRole);
        box.exec();
        return MessageAnswer::Ok;
    }
    QPushButton* yes = box.addButton(StringText(CAP_YES), QMessageBox::YesRole);
    QPushButton* no = box.addButton(StringText(CAP_NO), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void COrgMessageBox::PresetAnswer(MessageAnswer answer) {
    presetAnswers_.push_back(answer);
}

void COrgMessageBox::ResetPresets() {
    presetAnswers_.clear();
    answeredTexts_.clear();
}

} // namespace orlo
