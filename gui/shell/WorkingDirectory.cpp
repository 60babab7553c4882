#include "gui/shell/WorkingDirectory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace orlo {

namespace {

// A real attempt: on Windows the attributes QFileInfo::isWritable reads say nothing about the
// folder's access rights (Program Files reads as writable for a user who cannot write there).
bool CanCreateFileIn(const QString& directory) {
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".orlo-x1-probe-XXXXXX")));
    return probe.open();
}

} // namespace

bool IsInstalledProgramDirectory(const QString& programDirectory) {
    const QDir program(programDirectory);
    // Even when bin/ can be written to (the administrator runs the tool), it is no place for a
    // user's files.
    return program.dirName() == QStringLiteral("bin") &&
           QFileInfo(program.filePath(QStringLiteral("../share/orlo-x1"))).isDir();
}

QString ChooseWorkingDirectory(const QString& programDirectory, const QString& userDirectory) {
    const QFileInfo program(programDirectory);
    if (program.isDir() && !IsInstalledProgramDirectory(programDirectory) &&
        CanCreateFileIn(programDirectory)) {
        return program.absoluteFilePath();
    }
    if (userDirectory.isEmpty() || !QDir().mkpath(userDirectory)) {
        return {};
    }
    return CanCreateFileIn(userDirectory) ? QFileInfo(userDirectory).absoluteFilePath() : QString();
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
