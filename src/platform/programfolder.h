#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The folder of the program's own executable, ending with a path separator.
QString programFolder();

// The folder that holds the catalogues, ending with a separator. The program writes its catalogues
// there, so it is the executable's folder only where the user may write to it (a build, a per-user install). An installed program's folder is not the
// user's: then it is $XDG_DATA_HOME/sieciownik, filled on first use from the installed copies
// (beside the executable, or in ../share/sieciownik).
QString dataFolder(const QStringList& dataFiles);

// The same rule with the executable's folder given, for tests.
QString dataFolderFor(const QString& executableFolder, const QStringList& dataFiles);

// Where an installed program keeps its data files: ../share/sieciownik/ from its executable.
QString installedShareFolder(const QString& executableFolder);
// The user's own data folder of the program: $XDG_DATA_HOME/sieciownik/.
QString userDataFolder();

// A file of the program's own that the user never changes (the help page): always the copy that
// was installed with the program, beside the executable or in ../share/sieciownik, never a copy
// in the user's data folder, so an upgraded program shows its new file. The path beside the
// executable when neither exists.
QString installedFile(const QString& executableFolder, const QString& name);

}  // namespace platform
