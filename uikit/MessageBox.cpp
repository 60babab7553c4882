#include "uikit/MessageBox.h"

#include "uikit/StringText.h"

#include <QMessageBox>
#include <QPushButton>

namespace orlo {
namespace {

constexpr int STR_MESSAGE_CAPTION = 9020;

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
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return MessageAnswer::Ok;
    }
    QPushButton* yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
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
