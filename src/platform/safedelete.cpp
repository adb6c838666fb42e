#include "safedelete.h"

#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <optional>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

#include "platform/descriptor.h"
#include "platform/nofollow.h"
#include "platform/sessionfiles.h"

namespace platform {
namespace {

constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID | STATX_CTIME;

// An entry as statx sees it, with the mount it belongs to where the kernel tells.
struct Seen {
  FileId id;
  mode_t mode = 0;
  uid_t owner = 0;
  std::uint64_t mount = 0;
  bool hasMount = false;
  statx_timestamp changed{};
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
  seen.changed = sx.stx_ctime;
  return true;
}

bool idOfFolder(int fd, FileId& id) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  id = idOf(st);
  return true;
}

// A file is stamped with the time it changed, taken from the fine clock or from the coarse one
// (which lags behind by up to a tick). Everything stamped before now is stamped earlier than now;
// waiting until the coarse clock has caught up with now makes everything stamped from then on
// stamped at or after it.
timespec stepBeginning() {
  timespec now{}, coarse{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  ::clock_gettime(CLOCK_REALTIME_COARSE, &coarse);
  for (int waited = 0; waited < 200 && (coarse.tv_sec < now.tv_sec || (coarse.tv_sec == now.tv_sec && coarse.tv_nsec < now.tv_nsec)); ++waited) {
    const timespec pause{0, 250'000};
    ::nanosleep(&pause, nullptr);
    ::clock_gettime(CLOCK_REALTIME_COARSE, &coarse);
  }
  return now;
}

// Birth never comes after the last status change, so the change time tells both. A file system
// that keeps whole seconds only is compared by the second.
bool changedSince(const statx_timestamp& changed, const timespec& began) {
  if (changed.tv_nsec == 0) return changed.tv_sec >= began.tv_sec;
  return changed.tv_sec > began.tv_sec || (changed.tv_sec == began.tv_sec && changed.tv_nsec >= began.tv_nsec);
}

// Through the folder's own descriptor: a path could have been replaced meanwhile.
void setMode(int pathFd, mode_t mode) {
  const std::string byDescriptor = "/proc/self/fd/" + std::to_string(pathFd);
  ::chmod(byDescriptor.c_str(), mode);
}

// The rules for the entries below one start folder.
class EntryCheck {
 public:
  EntryCheck(const SafeDeletion::Rules& rules, const Seen& start, int startFd) : rules_(rules), start_(start) {
    // btrfs names its subvolumes' files in the lock table and the socket list by another device
    // than stat does.
    struct statfs fs;
    lockTableByInode_ = ::fstatfs(startFd, &fs) == 0 && fs.f_type == BTRFS_SUPER_MAGIC;
  }

  bool usedByAProgram(const FileId& id, bool isSocket) const {
    const FilesInUse& inUse = rules_.inUse;
    if (inUse.contains(id) || (lockTableByInode_ && inUse.locksOrBindsInode(id.inode))) return true;
    return isSocket && !inUse.knowsBoundSockets();
  }

  // Everything but the owner, who is checked again at the moment of removal.
  bool mayTouch(int folderFd, const char* name, const Seen& seen) const {
    if (seen.owner != rules_.user || !sameMount(seen) || isSessionFile(name)) return false;
    if (usedByAProgram(seen.id, S_ISSOCK(seen.mode)) || changedSince(seen.changed, rules_.began)) return false;
    if (S_ISDIR(seen.mode)) return !rules_.kept.mustStay(seen.id);
    if (!S_ISREG(seen.mode) && !S_ISLNK(seen.mode)) return false;  // sockets, FIFOs, devices
    return !(isLockFileName(name) && lockNamesRunningProcess(folderFd, name, S_ISLNK(seen.mode)));
  }

  uid_t user() const { return rules_.user; }
  const Seen& start() const { return start_; }

 private:
  bool sameMount(const Seen& seen) const {
    if (seen.id.device != start_.id.device) return false;
    return !(seen.hasMount && start_.hasMount) || seen.mount == start_.mount;
  }

  const SafeDeletion::Rules& rules_;
  const Seen start_;
  bool lockTableByInode_ = false;
};

// One walk down a start folder. It holds one open folder at a time (plus the start and the
// folders whose rights it widened), so that no depth of nesting runs out of descriptors, and
// watches the folders on its way for being moved, so that checking where it is costs nothing
// while nothing moves.
class FolderWalk {
 public:
  FolderWalk(const SafeDeletion::Rules& rules, const Seen& start, int startFd);
  ~FolderWalk();
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  void run();

 private:
  struct Entry {
    std::string name;
    FileId id;         // the folder that was entered
    bool entered = false;  // emptied, so removed if empty now
  };
  struct Level {
    FileId id;
    std::vector<std::string> files;
    std::vector<Entry> folders;
    std::size_t nextFolder = 0;
    int watch = -1;
    std::optional<mode_t> widenedFrom;  // the rights it had, when entering had to widen them
    Descriptor handle;                  // to give them back from wherever the walk is
  };

  bool readFolder(int fd, Level& level) const;
  void enter(Entry& entry);
  void leaveLevel();
  void goUp();
  bool stillInPlace();
  void relocate();
  void removeFile(const std::string& name) const;
  void removeFolder(const Entry& entry) const;

  const EntryCheck check_;
  Descriptor startFd_;
  Descriptor fd_;  // the folder the walk is in: the last level of path_
  std::vector<Level> path_;
  Descriptor watcher_;
  std::size_t unwatched_ = 0;  // levels below the start that could not be watched
  bool disturbed_ = false;     // a watched level was moved or removed since the last look
};

FolderWalk::FolderWalk(const SafeDeletion::Rules& rules, const Seen& start, int startFd)
    : check_(rules, start, startFd), startFd_(::fcntl(startFd, F_DUPFD_CLOEXEC, 0)),
      watcher_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

// However the walk ends, the folders it leaves get their rights back.
FolderWalk::~FolderWalk() {
  while (path_.size() > 1) leaveLevel();
}

// Collects a folder's names first, so that deleting never disturbs the listing. The kind and the
// inode of each entry come with the listing; everything else is looked at when the entry is used.
// False when the folder holds something a running program uses.
bool FolderWalk::readFolder(int fd, Level& level) const {
  Descriptor listFd(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
  DIR* listing = listFd.valid() ? ::fdopendir(listFd.get()) : nullptr;
  if (listing == nullptr) return true;
  listFd.release();
  bool used = false;
  while (const dirent* entry = ::readdir(listing)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    FileId id{level.id.device, static_cast<ino_t>(entry->d_ino)};
    bool isFolder = entry->d_type == DT_DIR;
    bool isSocket = entry->d_type == DT_SOCK;
    if (entry->d_type == DT_UNKNOWN) {
      Seen seen;
      if (!look(fd, name, AT_SYMLINK_NOFOLLOW, seen)) continue;
      id = seen.id;
      isFolder = S_ISDIR(seen.mode);
      isSocket = S_ISSOCK(seen.mode);
    }
    used = used || check_.usedByAProgram(id, isSocket);
    if (isFolder) level.folders.push_back({name, {}, false});
    else level.files.emplace_back(name);
  }
  ::closedir(listing);
  return !used;
}

// Opens a sub-folder without following a link, checks it may be emptied, lets its owner read,
// write and enter it (its "read-only" mark is reset until the walk leaves it), and makes it the
// folder the walk is in. A folder that a program uses stays whole and is not entered.
void FolderWalk::enter(Entry& entry) {
  Descriptor path(::openat(fd_.get(), entry.name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  Seen seen;
  if (!path.valid() || !look(path.get(), "", AT_EMPTY_PATH, seen) || !check_.mayTouch(fd_.get(), entry.name.c_str(), seen))
    return;
  Level level;
  level.id = seen.id;
  if ((seen.mode & S_IRWXU) != S_IRWXU) {
    level.widenedFrom = seen.mode & 07777;
    setMode(path.get(), *level.widenedFrom | S_IRWXU);
  }
  Descriptor fd(::openat(path.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) {
    const std::string byDescriptor = "/proc/self/fd/" + std::to_string(fd.get());
    level.watch = ::inotify_add_watch(watcher_.get(), byDescriptor.c_str(), IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR);
  }
  // Watched from here on; moved before that, it is no longer where the walk found it.
  FileId above;
  Descriptor up(fd.valid() ? ::openat(fd.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC) : -1);
  const bool inPlace = up.valid() && idOfFolder(up.get(), above) && above == path_.back().id;
  const bool free = inPlace && readFolder(fd.get(), level);
  if (!free) {
    if (level.watch >= 0) ::inotify_rm_watch(watcher_.get(), level.watch);
    if (level.widenedFrom) setMode(path.get(), *level.widenedFrom);
    return;
  }
  entry.id = seen.id;
  entry.entered = true;
  if (level.widenedFrom) level.handle = std::move(path);
  if (level.watch < 0) ++unwatched_;
  fd_ = std::move(fd);
  path_.push_back(std::move(level));
}

// Drops the last level: it stops being watched and gets its rights back. Removing the folder
// itself needs rights on its parent only.
void FolderWalk::leaveLevel() {
  Level& level = path_.back();
  if (level.watch >= 0) ::inotify_rm_watch(watcher_.get(), level.watch);
  else --unwatched_;
  if (level.widenedFrom && level.handle.valid()) setMode(level.handle.get(), *level.widenedFrom);
  path_.pop_back();
}

void FolderWalk::goUp() {
  leaveLevel();
  Descriptor parent(::openat(fd_.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  FileId id;
  if (parent.valid() && idOfFolder(parent.get(), id) && id == path_.back().id) fd_ = std::move(parent);
  else relocate();
}

// Whether every folder from the one the walk is in up to the start is still the one it entered,
// below the one it came from. Only after a watched folder moved, or where one could not be
// watched, is the chain looked at, from the folder up.
bool FolderWalk::stillInPlace() {
  alignas(inotify_event) char events[4096];
  for (;;) {
    const ssize_t got = ::read(watcher_.get(), events, sizeof events);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (event->mask & (IN_MOVE_SELF | IN_DELETE_SELF | IN_Q_OVERFLOW)) disturbed_ = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  if (!watcher_.valid()) disturbed_ = true;
  if (!disturbed_ && unwatched_ == 0) return true;
  Descriptor at(::fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
  for (std::size_t level = path_.size() - 1; level > 0; --level) {
    Descriptor up(::openat(at.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    FileId id;
    if (!up.valid() || !idOfFolder(up.get(), id) || !(id == path_[level - 1].id)) return false;
    at = std::move(up);
  }
  disturbed_ = false;
  return true;
}

// Goes back down from the start by the names the walk took, as far as each still names the
// folder that was entered. What lies below was moved away: it is left as it is, with the rights
// it had, and the walk goes on from there.
void FolderWalk::relocate() {
  Descriptor fd(::fcntl(startFd_.get(), F_DUPFD_CLOEXEC, 0));
  std::size_t reached = 0;
  while (reached + 1 < path_.size()) {
    const Level& level = path_[reached];
    Descriptor sub(::openat(fd.get(), level.folders[level.nextFolder - 1].name.c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    FileId id;
    if (!sub.valid() || !idOfFolder(sub.get(), id) || !(id == path_[reached + 1].id)) break;
    fd = std::move(sub);
    ++reached;
  }
  while (path_.size() > reached + 1) {
    leaveLevel();
    Level& above = path_.back();
    above.folders[above.nextFolder - 1].entered = false;
  }
  fd_ = std::move(fd);
}

// Looked at once more on the folder's own descriptor right before the removal: in a folder that
// others may write to, what was listed may have been replaced by someone else's file.
void FolderWalk::removeFile(const std::string& name) const {
  Seen seen;
  if (look(fd_.get(), name.c_str(), AT_SYMLINK_NOFOLLOW, seen) && !S_ISDIR(seen.mode) &&
      check_.mayTouch(fd_.get(), name.c_str(), seen))
    ::unlinkat(fd_.get(), name.c_str(), 0);
}

void FolderWalk::removeFolder(const Entry& entry) const {
  Seen seen;
  if (entry.entered && look(fd_.get(), entry.name.c_str(), AT_SYMLINK_NOFOLLOW, seen) && seen.id == entry.id &&
      seen.owner == check_.user())
    ::unlinkat(fd_.get(), entry.name.c_str(), AT_REMOVEDIR);
}

// Depth first; the start folder is emptied around whatever has to stay in it.
void FolderWalk::run() {
  if (!startFd_.valid()) return;
  fd_.reset(::fcntl(startFd_.get(), F_DUPFD_CLOEXEC, 0));
  path_.emplace_back();
  path_.back().id = check_.start().id;
  readFolder(fd_.get(), path_.back());
  while (!path_.empty()) {
    Level& current = path_.back();
    if (current.nextFolder < current.folders.size()) {
      enter(current.folders[current.nextFolder++]);
      continue;
    }
    if (!stillInPlace()) {
      relocate();
      continue;
    }
    for (const std::string& file : current.files) removeFile(file);
    for (const Entry& sub : current.folders) removeFolder(sub);
    if (path_.size() == 1) return;
    goUp();
  }
}

}  // namespace

SafeDeletion::SafeDeletion()
    : rules_{stepBeginning(), ::geteuid(), FilesInUse::scan(), KeptFolders::ofThisSession()} {}

void SafeDeletion::emptyFolder(const QString& folder) {
  const Descriptor fd = openNoFollow(folder, O_RDONLY | O_DIRECTORY);
  Seen start;
  struct stat root;
  // A folder setting gone wrong must not wipe the machine, the user's home or the program.
  if (!fd.valid() || !look(fd.get(), "", AT_EMPTY_PATH, start) || !S_ISDIR(start.mode) || ::stat("/", &root) != 0 ||
      start.id == idOf(root) || rules_.kept.isKept(start.id))
    return;
  FolderWalk(rules_, start, fd.get()).run();
}

bool SafeDeletion::deleteFile(const QString& file) {
  QByteArray name;
  const Descriptor parentFd = openParentNoFollow(file, name);
  Seen parent, seen;
  if (!parentFd.valid() || !look(parentFd.get(), "", AT_EMPTY_PATH, parent) || !S_ISDIR(parent.mode) ||
      !look(parentFd.get(), name.constData(), AT_SYMLINK_NOFOLLOW, seen) || S_ISDIR(seen.mode) ||
      !EntryCheck(rules_, parent, parentFd.get()).mayTouch(parentFd.get(), name.constData(), seen))
    return false;
  return ::unlinkat(parentFd.get(), name.constData(), 0) == 0;
}

void emptyFolderSafely(const QString& folder) { SafeDeletion().emptyFolder(folder); }

bool deleteFileSafely(const QString& file) { return SafeDeletion().deleteFile(file); }

}  // namespace platform
