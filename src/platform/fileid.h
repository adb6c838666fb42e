#pragma once

#include <cstddef>
#include <functional>
#include <sys/stat.h>
#include <sys/types.h>
#include <unordered_set>

namespace platform {

// What makes a file the same file whatever path reaches it: links, bind mounts and ".." cannot
// disguise it.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const FileId&, const FileId&) = default;
};

struct FileIdHash {
  std::size_t operator()(const FileId& id) const {
    return std::hash<ino_t>()(id.inode) * 31 + std::hash<dev_t>()(id.device);
  }
};

using FileIdSet = std::unordered_set<FileId, FileIdHash>;

inline FileId idOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

}  // namespace platform
