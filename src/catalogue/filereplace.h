#pragma once

#include <QString>
#include <functional>

#include "catalogue/feedfile.h"

namespace catalogue {

// Writes a new version of the file at `path` without ever leaving a half-written one: the content
// goes to a temporary file in the same folder, is flushed to disk and then renamed over the old
// file, which keeps its permissions (a link keeps pointing at the replaced file). A file without
// write permission, or one this process may not open for writing, is refused and left as it was,
// as is everything when the folder cannot be written. `writeContent` writes into the descriptor it
// is given and returns 0 or an errno value.
SaveResult replaceFile(const QString& path, const std::function<int(int fd)>& writeContent);

// Whether replaceFile could write the existing file at `path`: it has a write permission bit, and
// this process may write it and its folder (a read-only disk allows neither).
bool canReplaceFile(const QString& path);

}  // namespace catalogue
