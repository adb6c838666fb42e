#include "filereplace.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <tuple>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace catalogue {
namespace {

QString reasonFor(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return QStringLiteral("brak uprawnień do zapisu");
    case ENOSPC:
    case EDQUOT:
      return QStringLiteral("brak miejsca na dysku");
    case EROFS:
      return QStringLiteral("nośnik jest tylko do odczytu");
    case ENOENT:
    case ENOTDIR:
      return QStringLiteral("folder nie istnieje");
    case EISDIR:
      return QStringLiteral("w tym miejscu jest folder");
    case EIO:
      return QStringLiteral("błąd wejścia-wyjścia");
    default:
      return QStringLiteral("błąd systemu (%1)").arg(QString::fromLocal8Bit(std::strerror(error)));
  }
}

SaveResult failure(const QString& path, const QString& reason) {
  return {false, QStringLiteral("Nie można zapisać pliku „%1”: %2. Zmiany nie zostały zapisane.")
                     .arg(QDir::toNativeSeparators(path), reason)};
}

// The file a link points to is the one to replace; the link itself stays.
QByteArray resolvedTarget(const QByteArray& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.constData(), resolved)) return QByteArray(resolved);
  return path;
}

QByteArray folderOf(const QByteArray& path) {
  const qsizetype slash = path.lastIndexOf('/');
  if (slash < 0) return QByteArrayLiteral(".");
  if (slash == 0) return QByteArrayLiteral("/");
  return path.left(slash);
}

QByteArray baseNameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

QByteArray temporaryName(const QByteArray& folder, const QByteArray& target) {
  return folder + '/' + '.' + baseNameOf(target) + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 16) +
         ".tmp";
}

// Gives the unnamed file `fd` a free temporary name beside the target; 0 or an errno value, and
// `temporary` empty unless the name was made.
int nameUnnamedFile(int fd, const QByteArray& folder, const QByteArray& target, QByteArray& temporary) {
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = temporaryName(folder, target);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != EEXIST) break;
  }
  const int error = errno;
  temporary.clear();
  return error;
}

void syncFolder(const QByteArray& folder) {
  // The rename is done; this only makes it durable sooner, so a failure changes nothing.
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool hasWriteBit(const struct stat& info) { return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }

}  // namespace

bool canReplaceFile(const QString& path) {
  const QByteArray target = resolvedTarget(QFile::encodeName(path));
  struct stat info {};
  if (::stat(target.constData(), &info) != 0 || !S_ISREG(info.st_mode) || !hasWriteBit(info)) return false;
  return ::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) == 0 &&
         ::faccessat(AT_FDCWD, folderOf(target).constData(), W_OK | X_OK, AT_EACCESS) == 0;
}

SaveResult replaceFile(const QString& path, const std::function<int(int fd)>& writeContent) {
  const QByteArray target = resolvedTarget(QFile::encodeName(path));

  struct stat old {};
  const bool exists = ::stat(target.constData(), &old) == 0;
  if (!exists && errno != ENOENT) return failure(path, reasonFor(errno));
  if (exists) {
    if (S_ISDIR(old.st_mode)) return failure(path, reasonFor(EISDIR));
    if (!S_ISREG(old.st_mode)) return failure(path, QStringLiteral("to nie jest zwykły plik"));
    // No write permission bits is a read-only file even for the superuser, who could open it anyway.
    if (!hasWriteBit(old)) return failure(path, QStringLiteral("plik jest tylko do odczytu"));
    const int probe = ::open(target.constData(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (probe < 0) return failure(path, reasonFor(errno));
    ::close(probe);
  }

  const QByteArray folder = folderOf(target);
  // Where the file system allows it the content is written into an unnamed file that gets its
  // name only once it is complete, so that a save killed part-way leaves no temporary file behind.
  // Naming it goes through /proc.
  int fd = ::access("/proc/self/fd", X_OK) == 0
               ? ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, exists ? 0600 : 0666)
               : -1;
  const bool unnamed = fd >= 0;
  QByteArray temporary;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = temporaryName(folder, target);
    fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return failure(path, reasonFor(errno));
  }
  if (fd < 0) return failure(path, reasonFor(EEXIST));

  int error = 0;
  if (exists) {
    if (::fchmod(fd, old.st_mode & 07777) != 0) error = errno;
    // Handing the file back to its owner needs privileges an ordinary user lacks; then the saved
    // file belongs to whoever saved it, with the old permissions kept above.
    if (error == 0 && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
      std::ignore = ::fchown(fd, old.st_uid, old.st_gid);
  }
  if (error == 0) error = writeContent(fd);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (error == 0 && unnamed) error = nameUnnamedFile(fd, folder, target, temporary);
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temporary.constData(), target.constData()) != 0) error = errno;
  if (error != 0) {
    if (!temporary.isEmpty()) ::unlink(temporary.constData());
    return failure(path, reasonFor(error));
  }
  syncFolder(folder);
  return {true, {}};
}

}  // namespace catalogue
