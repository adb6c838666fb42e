#include "safedelete.h"

#include <QDir>
#include <QFile>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/folderwalk.h"
#include "platform/nofollow.h"
#include "platform/pathtext.h"

namespace platform {
namespace {

// How long a file system that may wait is given to answer before its folder is left alone.
constexpr std::chrono::milliseconds kAnswerWithin{2000};

std::string encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

SafeDeletion::SafeDeletion() = default;

// A folder on a network share or a FUSE file system is emptied only when its server answers now:
// one that is away would keep the step waiting for good.
bool SafeDeletion::answersAtOnce(const QString& folder) const {
  const std::string path = cleanAbsolutePath(encoded(folder));
  if (!stays_.mounts().pathMayWait(path)) return true;
  return finishesWithin(kAnswerWithin, [path] {
    struct stat st;
    ::stat(path.c_str(), &st);
  });
}

void SafeDeletion::emptyFolder(const QString& folder) {
  if (!QDir::isAbsolutePath(folder) || !answersAtOnce(folder)) return;
  const Descriptor fd = openNoFollow(folder, O_RDONLY | O_DIRECTORY);
  Seen start;
  struct stat root;
  // A folder setting gone wrong must not wipe the machine, the user's home or the program.
  if (!fd.valid() || !look(fd.get(), "", AT_EMPTY_PATH, start) || !S_ISDIR(start.mode) || ::stat("/", &root) != 0 ||
      start.id == idOf(root) || stays_.kept().isKept(start.id))
    return;
  emptyStartFolder(stays_, start, fd.get(), cleanAbsolutePath(encoded(folder)));
}

void SafeDeletion::deleteFiles(const QString& folder, const QStringList& names) {
  if (!QDir::isAbsolutePath(folder) || !answersAtOnce(folder)) return;
  const Descriptor folderFd = openNoFollow(folder, O_RDONLY | O_DIRECTORY);
  Seen seen;
  if (!folderFd.valid() || !look(folderFd.get(), "", AT_EMPTY_PATH, seen) || !S_ISDIR(seen.mode)) return;
  const EntryCheck check(stays_, seen, folderFd.get());
  const std::string folderPath = cleanAbsolutePath(encoded(folder));
  for (const QString& name : names) {
    stays_.refreshIfOld();
    const QByteArray file = QFile::encodeName(name);
    if (file.isEmpty() || file.contains('/') || file == "." || file == ".." ||
        stays_.inUse().namedPaths().contains(folderPath + '/' + file.toStdString()) ||
        stays_.tmpfiles().excludes(folderPath + '/' + file.toStdString()))
      continue;
    if (look(folderFd.get(), file.constData(), AT_SYMLINK_NOFOLLOW, seen) &&
        check.mayRemove(folderFd.get(), file.constData(), seen))
      ::unlinkat(folderFd.get(), file.constData(), 0);
  }
}

bool SafeDeletion::deleteFile(const QString& file) {
  if (!QDir::isAbsolutePath(file) || !answersAtOnce(file)) return false;
  QByteArray name;
  const Descriptor parentFd = openParentNoFollow(file, name);
  Seen parent, seen;
  const std::string path = cleanAbsolutePath(encoded(file));
  if (!parentFd.valid() || !look(parentFd.get(), "", AT_EMPTY_PATH, parent) || !S_ISDIR(parent.mode) ||
      !look(parentFd.get(), name.constData(), AT_SYMLINK_NOFOLLOW, seen) ||
      stays_.inUse().namedPaths().contains(path) || stays_.tmpfiles().excludes(path) ||
      !EntryCheck(stays_, parent, parentFd.get()).mayRemove(parentFd.get(), name.constData(), seen))
    return false;
  return ::unlinkat(parentFd.get(), name.constData(), 0) == 0;
}

void emptyFolderSafely(const QString& folder) { SafeDeletion().emptyFolder(folder); }

bool deleteFileSafely(const QString& file) { return SafeDeletion().deleteFile(file); }

}  // namespace platform
