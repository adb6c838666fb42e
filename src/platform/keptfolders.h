#pragma once

#include <QString>
#include <QStringList>

#include "platform/fileid.h"
#include "platform/mounts.h"

namespace platform {

// The folders the user and the program live in, which no deletion may remove or enter, and every
// folder that holds one of them. Folders are told apart by device and inode, so no link, bind
// mount or ".." in a path can disguise one. A folder on a mount that may wait (a network share
// that is switched off) is never looked up: the mount's root stands for it.
class KeptFolders {
 public:
  // The user's home (as $HOME says and as the user database says), the XDG base folders, the
  // desktop's special folders (Desktop, Documents, Downloads, …), the settings store's folders,
  // the program's own folder and the folders its data may live in.
  static KeptFolders ofThisSession(const MountTable& mounts);
  // The given folders only.
  static KeptFolders of(const QStringList& folders, const MountTable& mounts);

  // One of the kept folders itself.
  bool isKept(const FileId& id) const { return kept_.contains(id); }
  // A folder that holds a kept folder at any depth.
  bool holdsKept(const FileId& id) const { return holders_.contains(id); }
  bool mustStay(const FileId& id) const { return isKept(id) || holdsKept(id); }

 private:
  void add(const QString& folder, const MountTable& mounts);

  FileIdSet kept_;
  FileIdSet holders_;
};

// The folders of the desktop's special places from $XDG_CONFIG_HOME/user-dirs.dirs.
QStringList desktopSpecialFolders();

}  // namespace platform
