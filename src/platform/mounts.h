#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/descriptor.h"

namespace platform {

// A file system whose answers come from a server or a program may keep a look waiting for as long
// as that server is away or that program is stopped: network file systems, FUSE file systems and
// automount points. Its own folders are never looked into by the cleaner; only its root is looked
// at, from the cached attributes.
bool fileSystemMayWait(std::string_view type);

// Kernel and pseudo file systems, which never hold a user's files.
bool isPseudoFileSystem(std::string_view type);

struct Mount {
  std::uint64_t id = 0;
  std::string point;  // as this process sees it, unescaped
  std::string type;
};

// The mounts of this process, from /proc/self/mountinfo, read once.
class MountTable {
 public:
  static MountTable ofThisProcess(const char* mountInfo = "/proc/self/mountinfo");

  const std::vector<Mount>& mounts() const { return mounts_; }
  // A mount that may wait, or one mounted after the table was read (nothing is known of it).
  bool mayWait(std::uint64_t mountId) const;
  // Whether looking up this absolute path, which holds no link and no "..", would pass through a
  // mount that may wait.
  bool pathMayWait(std::string_view path) const;

 private:
  std::vector<Mount> mounts_;
  std::vector<std::string> waitingPoints_;
};

// The mount a descriptor's file lies on, from the cached attributes; false when the kernel does not
// tell.
bool mountOf(int fd, std::uint64_t& mountId);

// Opens an absolute path (O_PATH) one component at a time, following links as the system would,
// but never looks up a name inside a mount that may wait, nor starts a look from one (even ".."
// asks its server whether the folder may be searched).
struct Reached {
  Descriptor fd;       // the folder at the end of the path, or the one that holds the mount where
                       // the way would go on inside a mount that may wait
  bool whole = false;  // whether `fd` is the end of the path
};
Reached openWithoutWaiting(const QString& absolutePath, const MountTable& mounts);

// Runs `job` on a thread of its own and waits for it at most `limit`. A job that does not finish
// in time goes on alone, or never ends when what it looks at stopped answering, so it must own
// everything it touches.
bool finishesWithin(std::chrono::milliseconds limit, std::function<void()> job);

}  // namespace platform
