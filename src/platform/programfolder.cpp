#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

#include "platform/folders.h"

namespace platform {
namespace {

QString withSeparator(QString folder) {
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

bool userMayWrite(const QString& folder) { return ::access(QFile::encodeName(folder).constData(), W_OK) == 0; }

}  // namespace

QString installedShareFolder(const QString& executableFolder) {
  return withSeparator(QDir::cleanPath(executableFolder + QStringLiteral("/" SIECIOWNIK_DATA_FROM_PROGRAM)));
}

QString userDataFolder() { return withSeparator(userDataHome() + QStringLiteral("/sieciownik")); }

QString programFolder() { return withSeparator(QCoreApplication::applicationDirPath()); }

QString dataFolder(const QStringList& dataFiles) { return dataFolderFor(programFolder(), dataFiles); }

QString dataFolderFor(const QString& executableFolder, const QStringList& dataFiles) {
  const QString exeFolder = withSeparator(executableFolder);
  if (userMayWrite(exeFolder)) return exeFolder;

  const QString userFolder = userDataFolder();
  QDir().mkpath(userFolder);
  const QStringList installedFolders{exeFolder, installedShareFolder(exeFolder)};
  for (const QString& name : dataFiles) {
    if (QFileInfo::exists(userFolder + name)) continue;  // the user's own copy wins, always
    for (const QString& installed : installedFolders) {
      if (!QFileInfo::exists(installed + name)) continue;
      if (QFile::copy(installed + name, userFolder + name))
        QFile::setPermissions(userFolder + name, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
      break;
    }
  }
  return userFolder;
}

QString installedFile(const QString& executableFolder, const QString& name) {
  const QString exeFolder = withSeparator(executableFolder);
  for (const QString& folder : {exeFolder, installedShareFolder(exeFolder)})
    if (QFileInfo::exists(folder + name)) return folder + name;
  return exeFolder + name;
}

}  // namespace platform
