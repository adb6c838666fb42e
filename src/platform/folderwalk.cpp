#include "folderwalk.h"

#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/inotify.h>
#include <unordered_map>
#include <unistd.h>
#include <vector>

#include "platform/descriptor.h"

namespace platform {
namespace {

bool idOfFolder(int fd, FileId& id) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  id = idOf(st);
  return true;
}

// Through the folder's own descriptor: a path could have been replaced meanwhile.
void setMode(int pathFd, mode_t mode) {
  const std::string byDescriptor = "/proc/self/fd/" + std::to_string(pathFd);
  ::chmod(byDescriptor.c_str(), mode);
}

Descriptor duplicate(int fd) { return Descriptor(::fcntl(fd, F_DUPFD_CLOEXEC, 0)); }

// A path from the start up to this length is looked up in one go; deeper down, the watches on
// the folders of the way tell whether one of them moved.
constexpr std::size_t kLongestLookedUpPath = 3072;

// One walk through a start folder, an entry at a time. Each folder entry of the start is first
// surveyed (read, not changed) and, when nothing in it is in use, emptied and removed. The walk
// holds one open folder at a time (plus the start and the folders whose rights it widened), so
// that no depth of nesting runs out of descriptors. Before each removal it makes sure it is still
// where it thinks: the entry is looked at by its whole path from the start, which no longer leads
// to it once a folder on the way moved; this look is the one the removal needs anyway, so being
// sure costs nothing. Deeper than such a path can reach, the watches on the folders of the way
// tell.
class FolderWalk {
 public:
  FolderWalk(WhatStays& stays, const Seen& start, int startFd, std::string startPath);
  ~FolderWalk();
  FolderWalk(const FolderWalk&) = delete;
  FolderWalk& operator=(const FolderWalk&) = delete;

  void run();

 private:
  enum class Pass { Survey, Empty };
  enum class Entered { Yes, Stays, InUse };
  struct Entry {
    std::string name;
    FileId id;             // the folder that was entered
    bool entered = false;  // emptied, so removed if empty now
  };
  struct File {
    std::string name;
    ino_t inode = 0;
  };
  struct Level {
    FileId id;
    std::size_t pathLength = 0;  // of the path to the folder above, in path_ (as `relative_`)
    std::vector<File> files;
    std::vector<Entry> folders;
    std::size_t nextFolder = 0;
    std::size_t nextFile = 0;
    std::size_t nextRemoval = 0;
    int watch = -1;
    bool unwatched = false;             // emptied without a watch: its place is checked each time
    std::optional<mode_t> widenedFrom;  // the rights it had, when entering had to widen them
    Descriptor handle;                  // to give them back from wherever the walk is
  };

  bool survey(std::size_t top);
  void empty(std::size_t top);
  Entered enter(Entry& entry, Pass pass);
  bool readFolder(int fd, Level& level, Pass pass) const;
  void leaveLevel();
  void backToStart();
  bool goUp();
  bool stillInPlace(std::size_t anchor);
  enum class Place { AsListed, Changed, Moved };
  Place lookInPlace(const std::string& name, const FileId& listed, Seen& seen);
  void relocate(bool deepestMoved);
  bool removeFile(const File& file);
  bool removeFolder(const Entry& entry);
  void keepLookingAtPrograms();
  void lookUpNamedEntries();

  WhatStays& stays_;
  const EntryCheck check_;
  const std::string startPath_;
  Descriptor startFd_;
  Descriptor fd_;  // the folder the walk is in: the last level of path_
  std::vector<Level> path_;
  std::string relative_;  // the path from the start to fd_'s folder, ending with "/" below the start
  Descriptor watcher_;
  std::size_t unwatched_ = 0;  // levels below the start that could not be watched
  bool disturbed_ = false;     // a watched level was moved or removed since the last look
  // The change times the folders whose rights the walk gave back got from that: a change of the
  // walk's own is no sign of a program at work.
  std::unordered_map<FileId, statx_timestamp, FileIdHash> restored_;
  std::unordered_set<std::string> named_;
  bool everythingExcluded_ = false;
  unsigned namedGeneration_ = 0;
  unsigned sinceClockLook_ = 0;
};

FolderWalk::FolderWalk(WhatStays& stays, const Seen& start, int startFd, std::string startPath)
    : stays_(stays), check_(stays, start, startFd), startPath_(std::move(startPath)), startFd_(duplicate(startFd)),
      watcher_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

// However the walk ends, the folders it leaves get their rights back.
FolderWalk::~FolderWalk() {
  while (path_.size() > 1) leaveLevel();
}

// Collects a folder's names first, so that deleting never disturbs the listing. The kind and the
// inode of each entry come with the listing; everything else is looked at when the entry is used.
// A survey stops, false, at the first entry a running program uses.
bool FolderWalk::readFolder(int fd, Level& level, Pass pass) const {
  Descriptor listFd = duplicate(fd);
  DIR* listing = listFd.valid() ? ::fdopendir(listFd.get()) : nullptr;
  if (listing == nullptr) return pass == Pass::Empty;
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
    if (pass == Pass::Survey) {
      used = check_.usedByAProgram(id) || (isSocket && check_.servedSocket(fd, name, id));
      if (used) break;
      if (isFolder) level.folders.push_back({name, {}, false});
      continue;
    }
    if (isFolder) level.folders.push_back({name, {}, false});
    else level.files.push_back({name, id.inode});
  }
  ::closedir(listing);
  return !used;
}

// Opens a sub-folder without following a link, checks it may be emptied, lets its owner read,
// write and enter it (its "read-only" mark is reset until the walk leaves it), reads it and makes
// it the folder the walk is in.
FolderWalk::Entered FolderWalk::enter(Entry& entry, Pass pass) {
  Descriptor path(::openat(fd_.get(), entry.name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  Seen seen;
  if (!path.valid() || !look(path.get(), "", AT_EMPTY_PATH, seen)) return Entered::Stays;
  const auto restored = restored_.find(seen.id);
  const bool changedByTheWalk = restored != restored_.end() && restored->second.tv_sec == seen.changed.tv_sec &&
                                restored->second.tv_nsec == seen.changed.tv_nsec;
  switch (check_.folder(entry.name.c_str(), seen, changedByTheWalk)) {
    case EntryCheck::Folder::OtherMount: return Entered::InUse;
    case EntryCheck::Folder::Stays: return Entered::Stays;
    case EntryCheck::Folder::MayEnter: break;
  }
  Level level;
  level.id = seen.id;
  if ((seen.mode & S_IRWXU) != S_IRWXU) {
    level.widenedFrom = seen.mode & 07777;
    setMode(path.get(), *level.widenedFrom | S_IRWXU);
  }
  Descriptor fd(::openat(path.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Where paths from the start reach, each removal finds a move; deeper down the folder is watched
  // from here on, and one moved before that is no longer where the walk found it.
  const bool deep = pass == Pass::Empty && relative_.size() + entry.name.size() + 1 >= kLongestLookedUpPath;
  bool inPlace = fd.valid();
  if (inPlace && deep) {
    const std::string byDescriptor = "/proc/self/fd/" + std::to_string(fd.get());
    level.watch = ::inotify_add_watch(watcher_.get(), byDescriptor.c_str(), IN_MOVE_SELF | IN_DELETE_SELF | IN_ONLYDIR);
    FileId above;
    Descriptor up(::openat(fd.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    inPlace = up.valid() && idOfFolder(up.get(), above) && above == path_.back().id;
  }
  const bool free = inPlace && readFolder(fd.get(), level, pass);
  if (!free) {
    if (level.watch >= 0) ::inotify_rm_watch(watcher_.get(), level.watch);
    if (level.widenedFrom) {
      setMode(path.get(), *level.widenedFrom);
      if (look(path.get(), "", AT_EMPTY_PATH, seen)) restored_[seen.id] = seen.changed;
    }
    return inPlace ? Entered::InUse : Entered::Stays;
  }
  entry.id = seen.id;
  entry.entered = pass == Pass::Empty;
  level.pathLength = relative_.size();
  relative_ += entry.name + '/';
  if (level.widenedFrom) level.handle = std::move(path);
  if (deep && level.watch < 0) {
    level.unwatched = true;
    ++unwatched_;
  }
  fd_ = std::move(fd);
  path_.push_back(std::move(level));
  return Entered::Yes;
}

// Drops the last level: it stops being watched and gets its rights back. Removing the folder
// itself needs rights on its parent only.
void FolderWalk::leaveLevel() {
  Level& level = path_.back();
  if (level.watch >= 0) ::inotify_rm_watch(watcher_.get(), level.watch);
  if (level.unwatched) --unwatched_;
  if (level.widenedFrom && level.handle.valid()) {
    setMode(level.handle.get(), *level.widenedFrom);
    Seen seen;
    if (look(level.handle.get(), "", AT_EMPTY_PATH, seen)) restored_[seen.id] = seen.changed;
  }
  relative_.resize(level.pathLength);
  path_.pop_back();
}

void FolderWalk::backToStart() {
  while (path_.size() > 1) leaveLevel();
  fd_ = duplicate(startFd_.get());
}


// Back to the folder above, which must be the one the walk came from.
bool FolderWalk::goUp() {
  leaveLevel();
  Descriptor parent(::openat(fd_.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  FileId id;
  if (!parent.valid() || !idOfFolder(parent.get(), id) || !(id == path_.back().id)) return false;
  fd_ = std::move(parent);
  return true;
}

// For the deep levels, which paths from the start do not reach: whether every folder from the
// one the walk is in up to `anchor` is still the one it entered, below the one it came from.
// Only after a watched folder moved, or where one could not be watched, is the chain looked at,
// from the folder up.
bool FolderWalk::stillInPlace(std::size_t anchor) {
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
  Descriptor at = duplicate(fd_.get());
  for (std::size_t level = path_.size() - 1; level > anchor; --level) {
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
// it had, and the walk goes on from there. When the names all still lead to where the walk is,
// though it found itself moved, the folder it is in is left as well.
void FolderWalk::relocate(bool deepestMoved) {
  Descriptor fd = duplicate(startFd_.get());
  Descriptor above;  // the folder of the level before `reached`
  std::size_t reached = 0;
  while (reached + 1 < path_.size()) {
    const Level& level = path_[reached];
    Descriptor sub(::openat(fd.get(), level.folders[level.nextFolder - 1].name.c_str(),
                            O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    FileId id;
    if (!sub.valid() || !idOfFolder(sub.get(), id) || !(id == path_[reached + 1].id)) break;
    above = std::move(fd);
    fd = std::move(sub);
    ++reached;
  }
  if (deepestMoved && reached + 1 == path_.size()) {
    --reached;
    fd = std::move(above);
  }
  while (path_.size() > reached + 1) {
    leaveLevel();
    Level& level = path_.back();
    level.folders[level.nextFolder - 1].entered = false;
  }
  fd_ = std::move(fd);
}

// Looks at an entry of the folder the walk is in, by its path from the start where that path is
// short enough: Moved when the folder is no longer where the walk entered it, Changed when the
// entry is not the one listed (gone, or replaced).
FolderWalk::Place FolderWalk::lookInPlace(const std::string& name, const FileId& listed, Seen& seen) {
  if (path_.size() == 1)
    return look(fd_.get(), name.c_str(), AT_SYMLINK_NOFOLLOW, seen) && seen.id == listed ? Place::AsListed : Place::Changed;
  if (relative_.size() + name.size() >= kLongestLookedUpPath) {
    // The deepest level a path reaches, looked up; below it, the watches tell.
    const auto pathEnd = [this](std::size_t level) {
      return level + 1 < path_.size() ? path_[level + 1].pathLength : relative_.size();
    };
    std::size_t anchor = path_.size() - 1;
    while (anchor > 1 && pathEnd(anchor) >= kLongestLookedUpPath) --anchor;
    Seen folder;
    if (pathEnd(anchor) >= kLongestLookedUpPath ||
        !look(startFd_.get(), relative_.substr(0, pathEnd(anchor)).c_str(), AT_SYMLINK_NOFOLLOW, folder) ||
        !(folder.id == path_[anchor].id) || !stillInPlace(anchor))
      return Place::Moved;
    return look(fd_.get(), name.c_str(), AT_SYMLINK_NOFOLLOW, seen) && seen.id == listed ? Place::AsListed : Place::Changed;
  }
  if (look(startFd_.get(), (relative_ + name).c_str(), AT_SYMLINK_NOFOLLOW, seen) && seen.id == listed)
    return Place::AsListed;
  Seen folder;
  const bool here = look(startFd_.get(), relative_.c_str(), AT_SYMLINK_NOFOLLOW, folder) && folder.id == path_.back().id;
  return here ? Place::Changed : Place::Moved;
}

// False when the folder the walk is in was moved away.
bool FolderWalk::removeFile(const File& file) {
  Seen seen;
  const Place place = lookInPlace(file.name, {path_.back().id.device, file.inode}, seen);
  if (place == Place::AsListed && check_.mayRemove(fd_.get(), file.name.c_str(), seen))
    ::unlinkat(fd_.get(), file.name.c_str(), 0);
  return place != Place::Moved;
}

bool FolderWalk::removeFolder(const Entry& entry) {
  if (!entry.entered) return true;
  Seen seen;
  const Place place = lookInPlace(entry.name, entry.id, seen);
  if (place == Place::AsListed && seen.owner == check_.user() && !check_.usedByAProgram(seen.id))
    ::unlinkat(fd_.get(), entry.name.c_str(), AT_REMOVEDIR);
  return place != Place::Moved;
}

// Checking the clock costs little, but not nothing: once every so many steps.
void FolderWalk::keepLookingAtPrograms() {
  if (++sinceClockLook_ % 256 == 0) stays_.refreshIfOld();
}

void FolderWalk::lookUpNamedEntries() {
  if (namedGeneration_ == stays_.generation()) return;
  named_ = stays_.namedEntries(startFd_.get(), startPath_, check_.start().mount, everythingExcluded_);
  namedGeneration_ = stays_.generation();
}

// Reads below the start's folder entry `top` without changing anything; true when nothing there
// is in use, so that it may be emptied.
bool FolderWalk::survey(std::size_t top) {
  if (enter(path_[0].folders[top], Pass::Survey) != Entered::Yes) return false;
  for (;;) {
    keepLookingAtPrograms();
    Level& current = path_.back();
    if (current.nextFolder < current.folders.size()) {
      if (enter(current.folders[current.nextFolder++], Pass::Survey) == Entered::InUse) break;
      continue;
    }
    if (path_.size() == 2) {
      backToStart();
      return true;
    }
    if (!goUp()) break;
  }
  backToStart();
  return false;
}

// Depth first; a folder found moved is left as it is, where it went.
void FolderWalk::empty(std::size_t top) {
  if (enter(path_[0].folders[top], Pass::Empty) != Entered::Yes) return;
  while (path_.size() > 1) {
    keepLookingAtPrograms();
    Level& current = path_.back();
    if (current.nextFolder < current.folders.size()) {
      enter(current.folders[current.nextFolder++], Pass::Empty);
    } else if (current.nextFile < current.files.size()) {
      if (removeFile(current.files[current.nextFile])) ++current.nextFile;
      else relocate(true);
    } else if (current.nextRemoval < current.folders.size()) {
      if (removeFolder(current.folders[current.nextRemoval])) ++current.nextRemoval;
      else relocate(true);
    } else if (path_.size() == 2) {
      backToStart();
    } else if (!goUp()) {
      relocate(false);
    }
  }
}

// The start folder is emptied around whatever has to stay in it: its folders first, each surveyed
// and emptied, then its files, then the folders that became empty.
void FolderWalk::run() {
  if (!startFd_.valid()) return;
  fd_ = duplicate(startFd_.get());
  path_.emplace_back();
  path_.back().id = check_.start().id;
  readFolder(fd_.get(), path_.back(), Pass::Empty);
  for (std::size_t top = 0; top < path_[0].folders.size(); ++top) {
    stays_.refreshBeforeEntry();
    lookUpNamedEntries();
    if (everythingExcluded_) return;
    path_[0].nextFolder = top + 1;
    if (named_.contains(path_[0].folders[top].name) || !survey(top)) continue;
    empty(top);
  }
  lookUpNamedEntries();
  if (everythingExcluded_) return;
  for (const File& file : path_[0].files) {
    keepLookingAtPrograms();
    if (!named_.contains(file.name)) removeFile(file);
  }
  for (const Entry& sub : path_[0].folders) removeFolder(sub);
}

}  // namespace

void emptyStartFolder(WhatStays& stays, const Seen& start, int startFd, const std::string& startPath) {
  FolderWalk(stays, start, startFd, startPath).run();
}

}  // namespace platform
