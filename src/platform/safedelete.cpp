#include "safedelete.h"

#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

#include "platform/descriptor.h"
#include "platform/inuse.h"
#include "platform/keptfolders.h"
#include "platform/nofollow.h"
#include "platform/sessionfiles.h"

namespace platform {
namespace {

constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID;

// An entry as statx sees it, with the mount it belongs to where the kernel tells.
struct Seen {
  FileId id;
  mode_t mode = 0;
  uid_t owner = 0;
  std::uint64_t mount = 0;
  bool hasMount = false;
};

bool look(int folderFd, const char* name, int flags, Seen& seen) {
  struct statx sx;
  // An automount point is not mounted for a look: it would hang on a server that is away.
  if (::statx(folderFd, name, flags | AT_STATX_SYNC_AS_STAT | AT_NO_AUTOMOUNT, kStatxWanted, &sx) != 0) return false;
  seen.id = {makedev(sx.stx_dev_major, sx.stx_dev_minor), static_cast<ino_t>(sx.stx_ino)};
  seen.mode = sx.stx_mode;
  seen.owner = sx.stx_uid;
  seen.hasMount = (sx.stx_mask & STATX_MNT_ID) != 0;
  seen.mount = sx.stx_mnt_id;
  return true;
}

class SafeDeletion {
 public:
  SafeDeletion() : user_(::geteuid()), inUse_(FilesInUse::scan()), kept_(KeptFolders::ofThisSession()) {}

  bool startAt(int fd);
  // A folder setting gone wrong must not wipe the machine, the user's home or the program.
  bool mayEmpty(int fd);
  void emptyFolder(int startFd);
  bool deleteFile(int parentFd, const char* name);

 private:
  struct Entry {
    std::string name;
    FileId id;                          // folders: the folder that was entered
    bool entered;                       // folders: emptied, so removed if empty now
    std::optional<mode_t> widenedFrom;  // folders: the rights it had, when entering had to widen them
  };
  struct Folder {
    FileId id;
    std::vector<std::string> files;
    std::vector<Entry> folders;
    std::size_t nextFolder = 0;
  };
  bool sameMount(const Seen& seen) const;
  bool mayTouch(int folderFd, const char* name, const Seen& seen) const;
  void readFolder(int fd, Folder& folder) const;
  int enterFolder(int parentFd, Entry& entry) const;
  void removeFile(int folderFd, const std::string& name) const;
  void removeFolder(int folderFd, const Entry& entry) const;
  static void setMode(int pathFd, mode_t mode);

  uid_t user_;
  FilesInUse inUse_;
  KeptFolders kept_;
  Seen start_;
};

bool SafeDeletion::sameMount(const Seen& seen) const {
  if (seen.id.device != start_.id.device) return false;
  return !(seen.hasMount && start_.hasMount) || seen.mount == start_.mount;
}

// Everything but the owner, who is checked again at the moment of removal.
bool SafeDeletion::mayTouch(int folderFd, const char* name, const Seen& seen) const {
  if (seen.owner != user_ || !sameMount(seen) || isSessionFile(name)) return false;
  if (inUse_.contains(seen.id)) return false;
  if (S_ISDIR(seen.mode)) return !kept_.mustStay(seen.id);
  if (!S_ISREG(seen.mode) && !S_ISLNK(seen.mode)) return false;  // sockets, FIFOs, devices
  return !(isLockFileName(name) && lockNamesRunningProcess(folderFd, name, S_ISLNK(seen.mode)));
}

// Collects a folder's names first, so that deleting never disturbs the listing. The kind of entry
// comes with the listing; everything else is looked at when the entry is used.
void SafeDeletion::readFolder(int fd, Folder& folder) const {
  Descriptor listFd(::dup(fd));
  DIR* listing = listFd.valid() ? ::fdopendir(listFd.get()) : nullptr;
  if (listing == nullptr) return;
  listFd.release();
  while (const dirent* entry = ::readdir(listing)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      Seen seen;
      if (!look(fd, name, AT_SYMLINK_NOFOLLOW, seen)) continue;
      isFolder = S_ISDIR(seen.mode);
    }
    if (isFolder) folder.folders.push_back({name, {}, false, std::nullopt});
    else folder.files.emplace_back(name);
  }
  ::closedir(listing);
}

// Opens a sub-folder without following a link, checks it may be emptied, and lets its owner
// read, write and enter it (its "read-only" mark is reset).
int SafeDeletion::enterFolder(int parentFd, Entry& entry) const {
  Descriptor path(::openat(parentFd, entry.name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  Seen seen;
  if (!path.valid() || !look(path.get(), "", AT_EMPTY_PATH, seen) || !mayTouch(parentFd, entry.name.c_str(), seen))
    return -1;
  if ((seen.mode & S_IRWXU) != S_IRWXU) {
    entry.widenedFrom = seen.mode & 07777;
    setMode(path.get(), *entry.widenedFrom | S_IRWXU);
  }
  const int fd = ::openat(path.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    entry.id = seen.id;
    entry.entered = true;
  } else if (entry.widenedFrom) {
    setMode(path.get(), *entry.widenedFrom);
  }
  return fd;
}

// Through the folder's own descriptor: a path could have been replaced meanwhile.
void SafeDeletion::setMode(int pathFd, mode_t mode) {
  const std::string byDescriptor = "/proc/self/fd/" + std::to_string(pathFd);
  ::chmod(byDescriptor.c_str(), mode);
}

// Looked at once more on the folder's own descriptor right before the removal: in a folder that
// others may write to, what was listed may have been replaced by someone else's file.
void SafeDeletion::removeFile(int folderFd, const std::string& name) const {
  Seen seen;
  if (look(folderFd, name.c_str(), AT_SYMLINK_NOFOLLOW, seen) && !S_ISDIR(seen.mode) &&
      mayTouch(folderFd, name.c_str(), seen))
    ::unlinkat(folderFd, name.c_str(), 0);
}

void SafeDeletion::removeFolder(int folderFd, const Entry& entry) const {
  Seen seen;
  if (!entry.entered || !look(folderFd, entry.name.c_str(), AT_SYMLINK_NOFOLLOW, seen) || !(seen.id == entry.id) ||
      seen.owner != user_)
    return;
  if (::unlinkat(folderFd, entry.name.c_str(), AT_REMOVEDIR) == 0 || !entry.widenedFrom) return;
  // It stays, for what had to stay in it: with the rights it had.
  Descriptor path(::openat(folderFd, entry.name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (path.valid() && look(path.get(), "", AT_EMPTY_PATH, seen) && seen.id == entry.id)
    setMode(path.get(), *entry.widenedFrom);
}

bool SafeDeletion::startAt(int fd) { return look(fd, "", AT_EMPTY_PATH, start_) && S_ISDIR(start_.mode); }

bool SafeDeletion::mayEmpty(int fd) {
  struct stat root;
  return startAt(fd) && ::stat("/", &root) == 0 && !(start_.id == idOf(root)) && !kept_.isKept(start_.id);
}

// Walks down and back up with one open folder at a time, so that no depth of nesting runs out of
// descriptors. Going up, ".." must be the folder we came from; if something moved it meanwhile
// the walk stops there.
void SafeDeletion::emptyFolder(int startFd) {
  Descriptor fd(::dup(startFd));
  if (!fd.valid()) return;
  std::vector<Folder> path(1);
  path.back().id = start_.id;
  readFolder(fd.get(), path.back());
  while (!path.empty()) {
    Folder& current = path.back();
    if (current.nextFolder < current.folders.size()) {
      Entry& sub = current.folders[current.nextFolder++];
      const int subFd = enterFolder(fd.get(), sub);
      if (subFd < 0) continue;
      const FileId subId = sub.id;
      fd.reset(subFd);
      path.push_back({subId, {}, {}, 0});
      readFolder(fd.get(), path.back());
      continue;
    }
    for (const std::string& file : current.files) removeFile(fd.get(), file);
    for (const Entry& sub : current.folders) removeFolder(fd.get(), sub);
    path.pop_back();
    if (path.empty()) break;
    Descriptor parent(::openat(fd.get(), "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!parent.valid() || ::fstat(parent.get(), &st) != 0 || !(idOf(st) == path.back().id)) return;
    fd.reset(parent.release());
  }
}

bool SafeDeletion::deleteFile(int parentFd, const char* name) {
  Seen seen;
  if (!startAt(parentFd) || !look(parentFd, name, AT_SYMLINK_NOFOLLOW, seen) || S_ISDIR(seen.mode) ||
      !mayTouch(parentFd, name, seen))
    return false;
  return ::unlinkat(parentFd, name, 0) == 0;
}

}  // namespace

void emptyFolderSafely(const QString& folder) {
  const Descriptor fd = openNoFollow(folder, O_RDONLY | O_DIRECTORY);
  if (!fd.valid()) return;
  SafeDeletion deletion;
  if (deletion.mayEmpty(fd.get())) deletion.emptyFolder(fd.get());
}

bool deleteFileSafely(const QString& file) {
  QByteArray name;
  const Descriptor parentFd = openParentNoFollow(file, name);
  if (!parentFd.valid()) return false;
  return SafeDeletion().deleteFile(parentFd.get(), name.constData());
}

}  // namespace platform
