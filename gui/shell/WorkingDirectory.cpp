#include "gui/shell/WorkingDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orlo {

bool IsInstalledProgramDirectory(const QString& programDirectory) {
    const QDir program(programDirectory);
    // Even when bin/ can be written to (the administrator runs the tool), it is no place for a
    // user's files.
    return program.dirName() == QStringLiteral("bin") &&
           QFileInfo(program.filePath(QStringLiteral("../share/orlo-x1"))).isDir();
}

QString ChooseWorkingDirectory(const QString& programDirectory, const QString& userDirectory) {
    const QFileInfo program(programDirectory);
    if (program.isDir() && program.isWritable() && !IsInstalledProgramDirectory(programDirectory)) {
        return program.absoluteFilePath();
    }
    if (userDirectory.isEmpty() || !QDir().mkpath(userDirectory)) {
        return {};
    }
    const QFileInfo user(userDirectory);
    return user.isWritable() ? user.absoluteFilePath() : QString();
}

QString UserConfigDirectory() {
    // GenericConfigLocation follows XDG_CONFIG_HOME with ~/.config as default.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("orlo-x1"));
}

QString EnterWorkingDirectory(const QString& programDirectory) {
    const QString chosen = ChooseWorkingDirectory(programDirectory, UserConfigDirectory());
    if (chosen.isEmpty() || !QDir::setCurrent(chosen)) {
        return {};
    }
    return chosen;
}

} // namespace orlo
