#pragma once

#include <string>
#include <unordered_set>
#include <sys/types.h>

#include "platform/fileid.h"

namespace platform {

// The files and folders that running processes use, as far as this user may look: open
// descriptors, mapped files (running executables, loaded libraries, mapped databases), working
// folders, root folders, executables, and files that hold a lock. Taken once, as a snapshot.
class FilesInUse {
 public:
  // Looks through `procFolder` (the machine's /proc).
  static FilesInUse scan(const char* procFolder = "/proc");

  bool contains(const FileId& id) const { return ids_.contains(id); }

 private:
  using PathSet = std::unordered_set<std::string>;
  void addProcess(int processFd, PathSet& mappedPaths);
  void addLinksIn(int processFd, const char* folder);
  void addMaps(int processFd, PathSet& mappedPaths);
  void addLocks(int procFd);
  void addPath(const std::string& path);

  FileIdSet ids_;
};

// Whether a process of this number runs now.
bool processIsRunning(pid_t pid);

}  // namespace platform
