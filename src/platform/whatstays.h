#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <sys/types.h>
#include <unordered_set>

#include "platform/inuse.h"
#include "platform/keptfolders.h"
#include "platform/mounts.h"
#include "platform/sessionfiles.h"

namespace platform {

// What one deletion step must leave alone, looked up when the step begins: the mounts, the kept
// folders, what tmpfiles.d excludes, and what running programs use and name. What programs use is
// looked at again as the step goes on, so that a program that opens an old file meanwhile keeps it.
class WhatStays {
 public:
  WhatStays();

  const timespec& began() const { return began_; }
  uid_t user() const { return user_; }
  const MountTable& mounts() const { return mounts_; }
  const KeptFolders& kept() const { return kept_; }
  const FilesInUse& inUse() const { return inUse_; }
  const TmpfilesExclusions& tmpfiles() const { return tmpfiles_; }

  // Before an entry of a start folder: looks again unless the last look is very recent (looking
  // costs a few milliseconds, and a trash may hold thousands of entries).
  void refreshBeforeEntry();
  // At any moment of the work: looks again once the last look is a second old. Cheap to call.
  void refreshIfOld();
  // Changes with every look.
  unsigned generation() const { return generation_; }

  // The names of the entries directly in a start folder (`startFd`, at the clean absolute path
  // `startPath`, on the mount `mountId`) that must stay with all they hold: a running program's
  // command line or environment names them or a path inside them, or they are or hold what
  // tmpfiles.d excludes. `everything` is set when tmpfiles.d excludes the start folder's contents
  // as a whole.
  std::unordered_set<std::string> namedEntries(int startFd, const std::string& startPath, std::uint64_t mountId,
                                               bool& everything) const;

 private:
  void look();

  timespec began_;  // first, so that what appears while the rest is looked up counts as new
  uid_t user_;
  MountTable mounts_;
  KeptFolders kept_;
  TmpfilesExclusions tmpfiles_;
  FilesInUse inUse_;
  unsigned generation_ = 0;
  std::chrono::steady_clock::time_point lastLook_;
  std::chrono::steady_clock::duration lookTook_{};
};

// Whether a socket file that this system's socket list does not name is still served: it may be
// bound in another network namespace (sandboxes, containers). Only a refused connection shows
// that no program serves it any more.
bool socketAnswers(int folderFd, const char* name);

}  // namespace platform
