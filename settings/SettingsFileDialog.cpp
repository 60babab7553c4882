#include "settings/SettingsFileDialog.h"

#include "uikit/StringText.h"

#include <QDir>
#include <QFileDialog>

namespace orlo {
namespace {

constexpr int STR_SETTINGS_FILE_FILTER = 5000;

QString AskSettingsFile(QWidget* parent, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, QString(), QDir::currentPath(),
                       DialogFilter(StringText(STR_SETTINGS_FILE_FILTER)));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString AskSettingsFileToSave(QWidget* parent) {
    return AskSettingsFile(parent, QFileDialog::AcceptSave);
}

QString AskSettingsFileToOpen(QWidget* parent) {
    return AskSettingsFile(parent, QFileDialog::AcceptOpen);
}

QString DialogFilter(const QString& tableFilter) {
    const QStringList parts = tableFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& text = parts[i];
        const QString& pattern = parts[i + 1];
        if (text.isEmpty()) {
            continue;
        }
        const QString shown = QLatin1Char('(') + pattern + QLatin1Char(')');
        filters << (text.contains(shown) ? text : text + QLatin1Char(' ') + shown);
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace orlo
