#pragma once

#include <QString>
#include <ctime>
#include <sys/types.h>

#include "platform/inuse.h"
#include "platform/keptfolders.h"

namespace platform {

// Deleting on behalf of the user, with the guarantees the desktop's own deletion gives and more:
// - no symbolic link is followed, neither on the way to the start (every component of its path)
//   nor below it: a link is removed as a link, what it points to is never entered or touched;
// - nothing on another file system or mount is entered or deleted (a bind mount of the same file
//   system is another mount);
// - the folders the user and the program live in, and every folder that holds one of them, are
//   never removed or entered (see KeptFolders); a start folder that holds one is emptied around it;
// - what is in use stays (see FilesInUse): files and folders that any process has open, maps,
//   runs, works in or locks, sockets, FIFOs and device nodes, lock files that name a running
//   process, and the desktop session's own files (see isSessionFile); a folder holding one stays;
// - a folder below the start that directly holds something a running program uses (a bound
//   socket, a file open or mapped, a working folder, a held lock) is that program's folder and
//   stays whole: the link or cookie beside a socket belongs to it as much as the socket;
// - what was created or changed after the step began stays: a program goes on working meanwhile;
// - before anything in a folder is removed, the folder is checked to be still where the walk
//   entered it, up to the start folder; a folder moved away meanwhile is left as it is and the
//   walk goes on with the rest;
// - only what the user owns is deleted, checked on each entry at the moment it is removed;
// - rights the walk had to widen to empty a folder are given back to every folder that stays,
//   however the walk ends;
// - every failure concerns one entry only and is silent.
class SafeDeletion {
 public:
  // Begins a step: what running programs use and which folders must stay are looked up once,
  // here, and the moment is noted.
  SafeDeletion();

  // Deletes everything below folder, depth first: the files of each folder once its
  // sub-folders are done, then the sub-folders that became empty. The folder itself stays, and so
  // do the access rights of it and of its parents. Nothing happens for a relative path, a folder
  // that does not exist, the file-system root or a kept folder itself.
  void emptyFolder(const QString& folder);
  // Deletes one file (or link) under the same rules. False when it stays.
  bool deleteFile(const QString& file);

  struct Rules {
    timespec began;  // first, so that what appears while the rest is looked up counts as new
    uid_t user;
    FilesInUse inUse;
    KeptFolders kept;
  };

 private:
  Rules rules_;
};

// One-step forms of the above.
void emptyFolderSafely(const QString& folder);
bool deleteFileSafely(const QString& file);

}  // namespace platform
