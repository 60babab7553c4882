#pragma once

#include <QString>
#include <QStringList>
#include <deque>

class QWidget;

namespace orlo {

enum class MessageButtons { Ok, YesNo };
enum class MessageIcon { None, Information, Question, Warning };
enum class MessageAnswer { Ok, Yes, No };

// Every message box of the tool goes through this class, so a test can answer the next boxes
// instead of a user. Used on the user-interface thread only.
class COrgMessageBox {
public:
    // Shows the text modally and returns the button chosen (No when a Yes/No box is closed).
    static MessageAnswer Show(QWidget* parent, const QString& text,
                              MessageButtons buttons = MessageButtons::Ok,
                              MessageIcon icon = MessageIcon::None);

    // Test hooks: the next Show returns this answer without showing anything and records its text.
    static void PresetAnswer(MessageAnswer answer);
    static bool HasPresetAnswers() { return !presetAnswers_.empty(); }
    static const QStringList& AnsweredTexts() { return answeredTexts_; }
    static void ResetPresets();

private:
    static inline std::deque<MessageAnswer> presetAnswers_;
    static inline QStringList answeredTexts_;
};

} // namespace orlo
