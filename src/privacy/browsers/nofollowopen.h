#pragma once

#include <QString>

namespace platform {

// Opens an absolute path one component at a time without following any symbolic link, the last
// component included (O_NOFOLLOW and O_CLOEXEC are added to flags). -1 with errno set on failure:
// ELOOP or ENOTDIR where a link stands in the way, EINVAL for a relative path.
int openNoFollow(const QString& absolutePath, int flags);

}  // namespace platform
