#pragma once

#include <QString>

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
// - only what the user owns is deleted, checked on each entry at the moment it is removed;
// - every failure concerns one entry only and is silent.

// Deletes everything below folder, depth first: the files of each folder once its sub-folders
// are done, then the sub-folders that became empty. The folder itself stays, and so do the
// access rights of it and of its parents. Nothing happens for a relative path, a folder that
// does not exist, the file-system root or a kept folder itself.
void emptyFolderSafely(const QString& folder);

// Deletes one file (or link) under the same rules. False when it stays.
bool deleteFileSafely(const QString& file);

}  // namespace platform
