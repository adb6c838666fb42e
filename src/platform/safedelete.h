#pragma once

#include <QString>
#include <QStringList>

#include "platform/whatstays.h"

namespace platform {

// Deleting on behalf of the user, with the guarantees the desktop's own deletion gives and more.
// Each rule is kept by the part named beside it.
// - No symbolic link is followed, neither on the way to the start (every component of its path)
//   nor below it: a link is removed as a link, what it points to is never entered or touched.
// - Nothing on another file system or mount is entered or deleted (a bind mount of the same file
//   system is another mount); mounts are told apart by mount id from the cached attributes.
// - Nothing waits on another file system: no name is looked up inside a network or FUSE mount, a
//   start folder on one is emptied only when it answers at once, and what running programs use is
//   read by a worker that passes over a process that stops answering (mounts, FilesInUse).
// - The folders the user and the program live in, and every folder that holds one of them, are
//   never removed or entered; a start folder that holds one is emptied around it (KeptFolders).
// - What is in use stays (FilesInUse): files and folders that any process or any of its threads
//   has open, maps, runs, works in or locks, bound or served sockets, the backing files of loop
//   devices and swap files. So do FIFOs and device nodes, lock files that name a running process,
//   and the desktop session's own files by name (sessionfiles).
// - An entry of the start folder that holds anything in use, or another mount, stays whole, with
//   everything in it: a running program keeps its whole tree (an application unpacked there, a
//   browser's instance folder with the cookie beside its socket). So does an entry that a running
//   program's command line or environment names, or that holds a path they name (XAUTHORITY,
//   "-auth FILE"), and one that is or holds what tmpfiles.d excludes (sessionfiles). A socket
//   keeps its entry whole unless a connection to it is refused.
// - What running programs use is looked at when the step begins and again as it goes on: before
//   the entries of a start folder (unless the last look is very recent) and at least once a second.
// - What was created or changed after the step began stays: a program goes on working meanwhile.
// - The walk is sure where it is for the whole time it empties a folder: before each removal it
//   checks that no folder on its way from the start was moved or removed. A folder moved away,
//   even after its first file went, is left as it is where it went, and the walk goes on with the
//   rest.
// - Only what the user owns is deleted, checked on each entry at the moment it is removed.
// - Rights the walk had to widen to read or empty a folder are given back to every folder that
//   stays, however the walk ends.
// - Every failure concerns one entry only and is silent.
class SafeDeletion {
 public:
  // Begins a step: what must stay is looked up here, and the moment is noted.
  SafeDeletion();

  // Deletes everything below folder, depth first: the files of each folder once its sub-folders
  // are done, then the sub-folders that became empty. The folder itself stays, and so do the
  // access rights of it and of its parents. Nothing happens for a relative path, a folder that
  // does not exist, the file-system root or a kept folder itself.
  void emptyFolder(const QString& folder);
  // Deletes one file (or link) under the same rules. False when it stays.
  bool deleteFile(const QString& file);
  // Deletes the named files (or links) directly in one folder under the same rules.
  void deleteFiles(const QString& folder, const QStringList& names);

 private:
  bool answersAtOnce(const QString& folder) const;

  WhatStays stays_;
};

// One-step forms of the above.
void emptyFolderSafely(const QString& folder);
bool deleteFileSafely(const QString& file);

}  // namespace platform
