#pragma once

#include <QByteArray>
#include <QString>

namespace privacy {

// The list GTK desktops (GNOME, Xfce, Cinnamon, MATE) keep of recently used files, with no entry.
extern const QByteArray kEmptyRecentlyUsedList;

// Replaces `recently-used.xbel` in the folder (the XDG data folder) by an empty list, at once: a
// desktop reading it meanwhile sees either the old list or the empty one. The file keeps its
// permissions. Nothing happens when it is absent, reached through a link, not a plain file of the
// user's own, or read-only (the user's way of freezing it). True when it was replaced.
bool emptyRecentlyUsedList(const QString& dataFolder);

}  // namespace privacy
