#include <fcntl.h>
#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include "platform/folderwalk.h"
#include "platform/sessionfiles.h"

namespace platform {
namespace {

constexpr unsigned kStatxWanted = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID | STATX_CTIME;

}  // namespace

bool look(int folderFd, const char* name, int flags, Seen& seen) {
  struct statx sx;
  // An automount point is not mounted for a look: it would hang on a server that is away.
  if (::statx(folderFd, name, flags | AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT, kStatxWanted, &sx) != 0) return false;
  seen.id = {makedev(sx.stx_dev_major, sx.stx_dev_minor), static_cast<ino_t>(sx.stx_ino)};
  seen.mode = sx.stx_mode;
  seen.owner = sx.stx_uid;
  seen.hasMount = (sx.stx_mask & STATX_MNT_ID) != 0;
  seen.mount = sx.stx_mnt_id;
  seen.changed = sx.stx_ctime;
  return true;
}

EntryCheck::EntryCheck(const WhatStays& stays, const Seen& start, int startFd) : stays_(stays), start_(start) {
  // btrfs names its subvolumes' files in the lock table and the socket list by another device
  // than stat does.
  struct statfs fs;
  lockTableByInode_ = ::fstatfs(startFd, &fs) == 0 && fs.f_type == BTRFS_SUPER_MAGIC;
}

bool EntryCheck::usedByAProgram(const FileId& id) const {
  const FilesInUse& inUse = stays_.inUse();
  return inUse.contains(id) || (lockTableByInode_ && inUse.locksOrBindsInode(id.inode));
}

bool EntryCheck::servedSocket(int folderFd, const char* name, const FileId& id) const {
  return usedByAProgram(id) || !stays_.inUse().knowsBoundSockets() || socketAnswers(folderFd, name);
}

bool EntryCheck::sameMount(const Seen& seen) const {
  if (seen.id.device != start_.id.device) return false;
  return !(seen.hasMount && start_.hasMount) || seen.mount == start_.mount;
}

// Birth never comes after the last status change, so the change time tells both. A file system
// that keeps whole seconds only is compared by the second.
bool EntryCheck::changedSinceBegan(const Seen& seen) const {
  const timespec& began = stays_.began();
  if (seen.changed.tv_nsec == 0) return seen.changed.tv_sec >= began.tv_sec;
  return seen.changed.tv_sec > began.tv_sec ||
         (seen.changed.tv_sec == began.tv_sec && seen.changed.tv_nsec >= static_cast<unsigned>(began.tv_nsec));
}

EntryCheck::Folder EntryCheck::folder(const char* name, const Seen& seen, bool changedByTheWalk) const {
  if (!sameMount(seen)) return Folder::OtherMount;
  if (!S_ISDIR(seen.mode) || seen.owner != stays_.user() || isSessionFile(name) || usedByAProgram(seen.id) ||
      (changedSinceBegan(seen) && !changedByTheWalk) || stays_.kept().mustStay(seen.id))
    return Folder::Stays;
  return Folder::MayEnter;
}

bool EntryCheck::mayRemove(int folderFd, const char* name, const Seen& seen) const {
  if (seen.owner != stays_.user() || !sameMount(seen) || isSessionFile(name)) return false;
  if (!S_ISREG(seen.mode) && !S_ISLNK(seen.mode)) return false;  // folders, sockets, FIFOs, devices
  if (usedByAProgram(seen.id) || changedSinceBegan(seen)) return false;
  return !(isLockFileName(name) && lockNamesRunningProcess(folderFd, name, S_ISLNK(seen.mode)));
}

}  // namespace platform
