#pragma once

#include <string>
#include <sys/types.h>
#include <unordered_set>

#include "platform/fileid.h"

namespace platform {

// The files and folders that running programs use, as far as this user may look: open
// descriptors, mapped files (running executables, loaded libraries, mapped databases), working
// folders, root folders, executables, files that hold a lock, socket files a program has bound,
// the backing files of loop devices and active swap files. Taken once, as a snapshot; every look
// at a file goes through the kernel's cached attributes, so a dead network or FUSE mount that a
// program holds something on never makes the look wait.
class FilesInUse {
 public:
  // Looks through `procFolder` (the machine's /proc) and `sysFolder` (its /sys).
  static FilesInUse scan(const char* procFolder = "/proc", const char* sysFolder = "/sys");

  // By device and inode.
  bool contains(const FileId& id) const { return ids_.contains(id); }
  // The lock table and the socket list name a file by its file system's own device, which on
  // file systems with subvolumes (btrfs) is not the device stat reports: there, by inode only.
  bool locksOrBindsInode(ino_t inode) const { return inodes_.contains(inode); }
  // Whether the bound sockets could be listed. Where they could not, every socket file counts as
  // bound.
  bool knowsBoundSockets() const { return socketsListed_; }

 private:
  using PathSet = std::unordered_set<std::string>;
  void addProcess(int processFd, PathSet& mappedPaths);
  void addLinksIn(int processFd, const char* folder);
  void addMaps(int processFd, PathSet& mappedPaths);
  void addLocks(int procFd);
  void addBoundSockets();
  void addLoopBackingFiles(const char* sysFolder);
  void addSwapFiles(int procFd);
  void addNamed(const FileId& id);
  void addPath(const std::string& path);

  FileIdSet ids_;
  std::unordered_set<ino_t> inodes_;
  bool socketsListed_ = false;
};

// Whether a process of this number runs now.
bool processIsRunning(pid_t pid);

}  // namespace platform
