#pragma once

#include <cstdint>
#include <string>
#include <sys/stat.h>

#include "platform/fileid.h"
#include "platform/whatstays.h"

namespace platform {

// An entry as the cached attributes show it, with the mount it belongs to where the kernel tells.
// Cached, so that looking at the root of a mount whose server is away never waits; on the start
// folder's own mount the cached attributes are the current ones.
struct Seen {
  FileId id;
  mode_t mode = 0;
  uid_t owner = 0;
  std::uint64_t mount = 0;
  bool hasMount = false;
  statx_timestamp changed{};
};

bool look(int folderFd, const char* name, int flags, Seen& seen);

// The rules of what must stay, for the entries below one start folder.
class EntryCheck {
 public:
  EntryCheck(const WhatStays& stays, const Seen& start, int startFd);

  // Open, mapped, run, worked in or locked by a program.
  bool usedByAProgram(const FileId& id) const;
  // A socket that a program serves, here or in another network namespace.
  bool servedSocket(int folderFd, const char* name, const FileId& id) const;

  enum class Folder { MayEnter, Stays, OtherMount };
  // Whether a sub-folder may be entered and emptied: it is the user's, on the start's mount, not
  // kept nor holding a kept folder, not in use, not a session folder, unchanged since the step
  // began (`changedByTheWalk`: but by the walk itself).
  Folder folder(const char* name, const Seen& seen, bool changedByTheWalk) const;
  // Whether a file or link may be removed now. Looked at the moment of removal: in a folder that
  // others may write to, what was listed may have been replaced by someone else's file.
  bool mayRemove(int folderFd, const char* name, const Seen& seen) const;

  uid_t user() const { return stays_.user(); }
  const Seen& start() const { return start_; }

 private:
  bool sameMount(const Seen& seen) const;
  bool changedSinceBegan(const Seen& seen) const;

  const WhatStays& stays_;
  const Seen start_;
  bool lockTableByInode_ = false;
};

// Empties one start folder, already opened (`startFd`) at the clean absolute path `startPath`.
void emptyStartFolder(WhatStays& stays, const Seen& start, int startFd, const std::string& startPath);

}  // namespace platform
