#pragma once

#include <string>
#include <sys/types.h>
#include <unordered_set>

#include "platform/fileid.h"
#include "platform/mounts.h"

namespace platform {

// What one running process uses and names, as far as this user may look.
struct ProcessFiles {
  FileIdSet used;                          // open, mapped, run, worked in
  std::unordered_set<std::string> named;   // absolute paths on its command line and in its environment
};

// Reads the process whose /proc folder is `processFd`. Every thread with a file table or a working
// folder of its own is read too, which covers a process whose first thread has ended. A process
// that may not be read (another user's, or one that made itself non-dumpable) gives what the
// kernel still shows: its command line. Paths are looked up only where no mount on the way may
// wait. `looked` remembers the mapped paths already looked up, which many processes share.
void readProcessFiles(int processFd, pid_t process, const MountTable& mounts, std::unordered_set<std::string>& looked,
                      ProcessFiles& into);

// Adds the device and inode of an absolute path, looked up from the cached attributes, unless a
// mount on the way may wait.
void addPathWithoutWaiting(const std::string& path, const MountTable& mounts, FileIdSet& into);

}  // namespace platform
