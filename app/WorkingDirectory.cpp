#include "app/WorkingDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orlo {

QString ChooseWorkingDirectory(const QString& programDirectory, const QString& userDirectory) {
    const QFileInfo program(programDirectory);
    if (program.isDir() && program.isWritable()) {
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
