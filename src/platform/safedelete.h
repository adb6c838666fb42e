#pragma once

#include <QString>

namespace platform {

// Deleting on behalf of the user, with the guarantees the desktop's own deletion gives:
// - a symbolic link is removed as a link; what it points to is never entered or touched (the
//   starting folder itself must not be a link either);
// - nothing on another file system is entered or deleted;
// - what is in use stays: sockets, FIFOs and device nodes, files that any process has open, and
//   the desktop session's own files (X and ICE locks and sockets, xauth*, kde-*, ksocket-*,
//   pulse-*, tmux-*, ssh-*);
// - only what the user owns is deleted;
// - every failure concerns one entry only and is silent.

// Deletes everything below folder, depth first: the files of each folder once its sub-folders
// are done, then the sub-folders that became empty. The folder itself stays, and so do the
// access rights of it and of its parents. Nothing happens for a relative path, a folder that
// does not exist, the file-system root or the user's home folder itself.
void emptyFolderSafely(const QString& folder);

// Deletes one file (or link) under the same rules. False when it stays.
bool deleteFileSafely(const QString& file);

}  // namespace platform
