#pragma once

#include <QDir>
#include <QDirIterator>
#include <QMap>
#include <QFile>
#include <QString>
#include <sys/mount.h>
#include <sched.h>
#include <unistd.h>

// Small helpers that lay out folder trees for the deletion tests.
namespace treebuilder {

inline bool writeFile(const QString& path, const QByteArray& content = "x") {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

inline bool link(const QString& target, const QString& path) {
  QDir().mkpath(QFileInfo(path).path());
  return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) == 0;
}

// Everything below folder, as relative paths, sorted; links are listed, never followed.
inline QStringList contents(const QString& folder) {
  QStringList found;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) found << QDir(folder).relativeFilePath(it.next());
  found.sort();
  return found;
}

// Everything below folder, byte for byte: a file's content, a link's target, a folder's mark.
inline QMap<QString, QByteArray> snapshot(const QString& folder) {
  QMap<QString, QByteArray> found;
  QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo entry(it.next());
    const QString name = QDir(folder).relativeFilePath(entry.filePath());
    if (entry.isSymLink()) {
      found[name] = "-> " + QFile::encodeName(entry.symLinkTarget());
    } else if (entry.isDir()) {
      found[name] = "<folder>";
    } else {
      QFile file(entry.filePath());
      found[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
  }
  return found;
}

// Mounts made by the tests stay inside this process's own view of the mounts, and vanish with it.
inline bool privateMounts() {
  static const bool ok = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
  return ok;
}

// Empty /tmp and /var/tmp of this process's own.
inline bool privateTemporaryFolders() {
  static const bool ok = privateMounts() && ::mount("sieciownik-test", "/tmp", "tmpfs", 0, "size=1g,mode=1777") == 0 &&
                         ::mount("sieciownik-test", "/var/tmp", "tmpfs", 0, "size=64m,mode=1777") == 0;
  return ok;
}

inline bool mountTmpfs(const QString& folder) {
  QDir().mkpath(folder);
  return privateMounts() && ::mount("sieciownik-test", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=4m") == 0;
}

}  // namespace treebuilder
