#pragma once

#include <QString>

class QWidget;

namespace orlo {

// The file dialogs of the settings file (filter "*.ini", named in the program's language), starting
// in the program's directory (the working directory). A name typed without ".ini" is used as typed.
// Both return the chosen path, or an empty text when the user cancelled.

// Asks before an existing file is replaced.
QString AskSettingsFileToSave(QWidget* parent);
// Accepts only an existing file.
QString AskSettingsFileToOpen(QWidget* parent);

// The save dialog of the commissioning report (HTML or PDF), starting in the program's directory. A
// name typed without a suffix gets the one of the chosen filter.
QString AskReportFileToSave(QWidget* parent);

// The dialog filter for a string-table filter of "text|pattern|" pairs: one filter a pair, the
// pattern added in parentheses unless the text shows it already.
QString DialogFilter(const QString& tableFilter);

} // namespace orlo
