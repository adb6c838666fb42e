#include "trash.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/mounts.h"
#include "platform/descriptor.h"
#include "platform/nofollow.h"
#include "platform/safedelete.h"

namespace platform {
namespace {

bool isUsersOwnFolder(const QString& path) {
  struct stat st;
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool isStickyFolder(const QString& path) {
  struct stat st;
  return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX);
}

// Kernel and pseudo file systems never hold a user's trash. Network and FUSE file systems are left
// out too: one whose server is away would make the step wait for it, and a shared disk's trash is
// its own machine's to empty. fuseblk is a local disk driven through FUSE (NTFS).
bool holdsTrash(const Mount& mount) {
  return !isPseudoFileSystem(mount.type) && (!fileSystemMayWait(mount.type) || mount.type == "fuseblk");
}

// The top folders of the mounted local file systems that belong to this machine: all of them
// when the machine root is "/", else the machine root and what is mounted inside it.
QStringList mountTopFolders() {
  const QString root = machineRoot();
  QStringList tops;
  if (root != QLatin1String("/")) tops << root;
  const MountTable table = MountTable::ofThisProcess();
  for (const Mount& mount : table.mounts()) {
    if (!holdsTrash(mount)) continue;
    const QString mountPoint = QDir::cleanPath(QFile::decodeName(QByteArray::fromStdString(mount.point)));
    const bool onThisMachine = root == QLatin1String("/") || mountPoint == root ||
                               mountPoint.startsWith(root + QLatin1Char('/'));
    if (onThisMachine && !tops.contains(mountPoint)) tops << mountPoint;
  }
  return tops;
}

// The names in a trash's files/; nothing when it cannot be listed (though it exists).
std::optional<QSet<QString>> trashedNames(const QString& files) {
  QSet<QString> names;
  Descriptor fd = openNoFollow(files, O_RDONLY | O_DIRECTORY);
  if (!fd.valid()) {
    if (errno == ENOENT) return names;
    return std::nullopt;
  }
  DIR* listing = ::fdopendir(fd.get());
  if (listing == nullptr) return std::nullopt;
  fd.release();
  errno = 0;
  while (const dirent* entry = ::readdir(listing)) {
    const QByteArray name(entry->d_name);
    if (name != "." && name != "..") names.insert(QFile::decodeName(name));
  }
  const bool complete = errno == 0;
  ::closedir(listing);
  if (!complete) return std::nullopt;
  return names;
}

// The descriptions of the trashed items that are gone now. An item that had to stay (one in use)
// keeps its own, or it could no longer be restored; so does every item of a files/ that cannot be
// listed, and one being trashed just now, whose description comes before the item.
void removeDescriptionsOfGoneItems(const QString& trash, SafeDeletion& step) {
  const QString info = trash + QStringLiteral("/info");
  if (!isUsersOwnFolder(info)) return;
  const std::optional<QSet<QString>> left = trashedNames(trash + QStringLiteral("/files"));
  if (!left) return;
  if (left->isEmpty()) {
    step.emptyFolder(info);
    return;
  }
  const QString suffix = QStringLiteral(".trashinfo");
  QStringList gone;
  for (const QString& name : QDir(info).entryList(QDir::Files | QDir::Hidden | QDir::System))
    if (!name.endsWith(suffix) || !left->contains(name.chopped(suffix.size()))) gone << name;
  step.deleteFiles(info, gone);
}

}  // namespace

QStringList trashFolders() {
  QStringList folders;
  const QString home = userDataHome() + QStringLiteral("/Trash");
  if (isUsersOwnFolder(home)) folders << home;
  const QString uid = QString::number(::geteuid());
  for (const QString& top : mountTopFolders()) {
    const QString prefix = top == QLatin1String("/") ? QString() : top;
    const QString shared = prefix + QStringLiteral("/.Trash");
    // In a shared trash anyone may create folders; only a sticky one keeps others' hands off ours.
    if (isStickyFolder(shared) && isUsersOwnFolder(shared + QLatin1Char('/') + uid))
      folders << shared + QLatin1Char('/') + uid;
    const QString own = prefix + QStringLiteral("/.Trash-") + uid;
    if (isUsersOwnFolder(own)) folders << own;
  }
  folders.removeDuplicates();
  return folders;
}

void emptyTrash() {
  SafeDeletion step;
  for (const QString& trash : trashFolders()) {
    for (const char* part : {"/files", "/expunged"})
      if (isUsersOwnFolder(trash + QLatin1String(part))) step.emptyFolder(trash + QLatin1String(part));
    removeDescriptionsOfGoneItems(trash, step);
    // The cached sizes describe folders that are gone now.
    step.deleteFile(trash + QStringLiteral("/directorysizes"));
  }
}

}  // namespace platform
