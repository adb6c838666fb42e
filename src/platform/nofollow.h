#pragma once

#include <QString>

#include "platform/descriptor.h"

namespace platform {

// Opens an absolute path one component at a time without following any symbolic link, the last
// component included, so that no link anywhere on the way can redirect the program to other
// files. `flags` are open(2) flags for the last component (O_NOFOLLOW and O_CLOEXEC are added).
// An invalid descriptor, with errno set, when the path is relative, a component is missing, or
// any component is a link.
Descriptor openNoFollow(const QString& absolutePath, int flags);

// Opens the folder that holds an absolute path's last component in the same way, and gives the
// component's name. An invalid descriptor when the path has no last component ("/").
Descriptor openParentNoFollow(const QString& absolutePath, QByteArray& name);

}  // namespace platform
