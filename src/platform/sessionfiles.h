#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/mounts.h"

namespace platform {

// What the desktop session needs in the temporary folders, though no program may hold it open.

// The desktop session keeps these in the temporary folders; deleting them breaks the session or
// its logins: X and ICE locks and sockets, xauth files, KDE, PulseAudio, tmux and SSH agent
// folders, Kerberos ticket caches, D-Bus sockets, systemd's and snap's private temporary folders.
bool isSessionFile(std::string_view name);

// Whether a name is that of a lock or process-number file ("*lock", "*.pid"), which a running
// program keeps while it runs.
bool isLockFileName(std::string_view name);

// Whether the lock file `name` in the folder `folderFd` names a running process: its content (or,
// for a link, where it points: "host-1234", "127.0.0.1:+1234") ends with that process's number.
bool lockNamesRunningProcess(int folderFd, const char* name, bool isLink);

// The absolute paths a program names, from its command line or its environment (both as the
// kernel gives them: NUL-separated). A command-line argument counts when it is an absolute path
// ("-auth /tmp/serverauth.X", "/tmp/app/usr/bin/prog") or holds one after "=" ("--profile=/tmp/p");
// an environment value when it is one or a ":"-separated list of them (XAUTHORITY, PATH).
// Cleaned: no "." or ".." component and no separator at the end.
void addNamedPaths(std::string_view nulSeparated, bool isEnvironment, std::unordered_set<std::string>& into);

// What the system's own temporary-file cleaner is told to leave alone: the "x" lines (a path and
// all it holds) and "X" lines (the path itself) of tmpfiles.d, in /etc, /run, /usr/local/lib and
// /usr/lib under the machine root, a file of one name in an earlier folder hiding those of later
// ones. Specifiers are expanded as for the system's own instance; one that is not known here
// matches any name.
class TmpfilesExclusions {
 public:
  static TmpfilesExclusions ofThisMachine();

  // The names of the entries directly in the folder `folderFd` (at `folderPath`, absolute and
  // clean, on the mount `mountId`) that are or hold an excluded path. Nothing on another mount is
  // looked into. `everything` is set when the folder itself lies in one that is excluded with all
  // it holds.
  std::unordered_set<std::string> holdersIn(int folderFd, const std::string& folderPath, std::uint64_t mountId,
                                            bool& everything) const;
  // Whether an absolute, clean path is excluded.
  bool excludes(const std::string& path) const;

  struct Pattern {
    std::vector<std::string> components;  // of the absolute path under the machine root
    bool withContents = false;            // "x"
  };

 private:
  std::vector<Pattern> patterns_;
};

}  // namespace platform
