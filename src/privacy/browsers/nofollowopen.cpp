#include "nofollowopen.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

int openNoFollow(const QString& absolutePath, int flags) {
  if (!QDir::isAbsolutePath(absolutePath)) {
    errno = EINVAL;
    return -1;
  }
  const QList<QByteArray> parts = QFile::encodeName(QDir::cleanPath(absolutePath)).split('/');
  QList<QByteArray> names;
  for (const QByteArray& part : parts)
    if (!part.isEmpty()) names << part;
  if (names.isEmpty()) return ::open("/", flags | O_CLOEXEC);
  int folder = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (qsizetype i = 0; folder >= 0 && i + 1 < names.size(); ++i) {
    const int next = ::openat(folder, names[i].constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int error = errno;
    ::close(folder);
    folder = next;
    errno = error;
  }
  if (folder < 0) return -1;
  const int fd = ::openat(folder, names.last().constData(), flags | O_NOFOLLOW | O_CLOEXEC);
  const int error = errno;
  ::close(folder);
  if (fd < 0) {
    errno = error;
    return -1;
  }
  // O_PATH with O_NOFOLLOW opens a link itself rather than failing: refuse it here too.
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISLNK(st.st_mode)) {
    ::close(fd);
    errno = ELOOP;
    return -1;
  }
  return fd;
}

}  // namespace platform
