#include "nofollow.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace platform {
namespace {

// The cleaned path's components; false for a relative path.
bool componentsOf(const QString& absolutePath, QList<QByteArray>& components) {
  if (!QDir::isAbsolutePath(absolutePath)) return false;
  components = QFile::encodeName(QDir::cleanPath(absolutePath)).split('/');
  components.removeAll(QByteArray());
  return true;
}

// Walks from "/" through the given folders; each step refuses a link (O_NOFOLLOW on an O_PATH
// open gives the link itself, which O_DIRECTORY then refuses).
Descriptor walk(const QList<QByteArray>& folders) {
  Descriptor fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  for (const QByteArray& folder : folders) {
    if (!fd.valid()) break;
    if (folder == "..") {
      // cleanPath leaves ".." only at the top, where it is "/" again.
      continue;
    }
    fd.reset(::openat(fd.get(), folder.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return fd;
}

}  // namespace

Descriptor openNoFollow(const QString& absolutePath, int flags) {
  QList<QByteArray> components;
  if (!componentsOf(absolutePath, components)) {
    errno = EINVAL;
    return Descriptor();
  }
  if (components.isEmpty()) return Descriptor(::open("/", flags | O_NOFOLLOW | O_CLOEXEC));
  const QByteArray last = components.takeLast();
  Descriptor parent = walk(components);
  if (!parent.valid()) return parent;
  Descriptor fd(::openat(parent.get(), last.constData(), flags | O_NOFOLLOW | O_CLOEXEC));
  // With O_PATH, O_NOFOLLOW opens a link itself instead of failing: refuse it here as well.
  struct stat st;
  if (fd.valid() && (flags & O_PATH) != 0 && (::fstat(fd.get(), &st) != 0 || S_ISLNK(st.st_mode))) {
    errno = ELOOP;
    return Descriptor();
  }
  return fd;
}

Descriptor openParentNoFollow(const QString& absolutePath, QByteArray& name) {
  QList<QByteArray> components;
  if (!componentsOf(absolutePath, components) || components.isEmpty() || components.last() == "..") {
    errno = EINVAL;
    return Descriptor();
  }
  name = components.takeLast();
  Descriptor parent = walk(components);
  if (!parent.valid()) return parent;
  // The parent was opened as a path only; reading and deleting need a real folder descriptor.
  return Descriptor(::openat(parent.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

}  // namespace platform
