#pragma once

#include <QStringList>

namespace platform {

// The user's trash folders: the home trash ($XDG_DATA_HOME/Trash) and, on every mounted local
// file system of the machine (not network or FUSE ones), .Trash/<uid> (only inside a sticky .Trash that is not a link) and
// .Trash-<uid>. Only folders that exist, are not links and belong to the user are listed.
QStringList trashFolders();

// Empties every trash folder: its files, their descriptions and what is being expunged.
void emptyTrash();

}  // namespace platform
