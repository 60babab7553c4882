#pragma once

#include <QString>

namespace orlo {

// The directory all relative file names of the program refer to: the program's own directory when
// it can be written to, otherwise userDirectory (created when missing), as for a program installed
// system-wide. Empty when neither can be used.
QString ChooseWorkingDirectory(const QString& programDirectory, const QString& userDirectory);

// $XDG_CONFIG_HOME/orlo-x1, or ~/.config/orlo-x1 without that variable.
QString UserConfigDirectory();

// Makes the chosen directory the current directory; the chosen directory, or empty on failure.
QString EnterWorkingDirectory(const QString& programDirectory);

} // namespace orlo
