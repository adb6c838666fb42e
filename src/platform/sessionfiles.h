#pragma once

#include <string_view>

namespace platform {

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

}  // namespace platform
