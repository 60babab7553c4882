#include "gui/settings/SettingsFileDialog.h"

#include "gui/uikit/StringText.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>

namespace orlo {
namespace {

constexpr int STR_SETTINGS_FILE_FILTER = 9440;
constexpr int STR_REPORT_FILE_FILTER = 9663;

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

QString AskReportFileToSave(QWidget* parent) {
    const QString tableFilter = StringText(STR_REPORT_FILE_FILTER);
    QFileDialog dialog(parent, QString(), QDir::currentPath(), DialogFilter(tableFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    QString path = dialog.selectedFiles().constFirst();
    const QStringList parts = tableFilter.split(QLatin1Char('|'));
    const QStringList filters = DialogFilter(tableFilter).split(QStringLiteral(";;"));
    const qsizetype chosen = std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()));
    // The chosen filter's pattern "*.html" gives the suffix ".html".
    const QString suffix = parts.value(chosen * 2 + 1).mid(1);
    const QString name = QFileInfo(path).fileName();
    if (!name.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) &&
        !name.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive) &&
        !name.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        path += suffix;
    }
    return path;
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
