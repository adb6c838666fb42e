#pragma once

#include <string>
#include <sys/types.h>
#include <unordered_set>

#include "platform/fileid.h"
#include "platform/mounts.h"

namespace platform {

// The files and folders that running programs use, as far as this user may look: open
// descriptors (of every thread with a file table of its own), mapped files (running executables,
// loaded libraries, mapped databases), working and root folders, executables, files that hold a
// lock, socket files a program has bound, the backing files of loop devices and active swap files;
// and the absolute paths programs name on their command lines and in their environments.
//
// A process this user may not read (another user's, or one that made itself non-dumpable: agents,
// password managers, sandboxed browser children) shows only its command line; its locks and bound
// sockets are in the machine-wide tables. Its open files, mappings, folders and environment stay
// unknown. A process whose entries do not answer within a second (one stuck on a file system that
// stopped answering) is passed over in the same way.
//
// Every look at a file goes through the kernel's cached attributes, and no path is looked up
// through a mount that may wait, so a dead network or FUSE mount never makes the scan wait.
class FilesInUse {
 public:
  // Looks through `procFolder` (the machine's /proc) and `sysFolder` (its /sys).
  static FilesInUse scan(const MountTable& mounts, const char* procFolder = "/proc", const char* sysFolder = "/sys");

  // By device and inode.
  bool contains(const FileId& id) const { return ids_.contains(id); }
  // The lock table and the socket list name a file by its file system's own device, which on
  // file systems with subvolumes (btrfs) is not the device stat reports: there, by inode only.
  bool locksOrBindsInode(ino_t inode) const { return inodes_.contains(inode); }
  // Whether the bound sockets could be listed. Where they could not, every socket file counts as
  // bound.
  bool knowsBoundSockets() const { return socketsListed_; }
  // Absolute, clean paths that running programs name.
  const std::unordered_set<std::string>& namedPaths() const { return named_; }

 private:
  void addLocks(int procFd);
  void addBoundSockets();
  void addLoopBackingFiles(const char* sysFolder, const MountTable& mounts);
  void addSwapFiles(int procFd, const MountTable& mounts);
  void addProcesses(const char* procFolder, const MountTable& mounts);
  void addNamed(const FileId& id);

  FileIdSet ids_;
  std::unordered_set<ino_t> inodes_;
  std::unordered_set<std::string> named_;
  bool socketsListed_ = false;
};

// Whether a process of this number runs now.
bool processIsRunning(pid_t pid);

}  // namespace platform
