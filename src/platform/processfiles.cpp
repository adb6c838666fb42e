#include "processfiles.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/kcmp.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/procfile.h"
#include "platform/sessionfiles.h"

namespace platform {
namespace {

// The device and inode of what a path names, from the attributes the kernel has cached: a file on
// a network or FUSE mount whose server is away would otherwise make the look wait for it.
bool cachedId(int folderFd, const char* path, FileId& id, mode_t* mode = nullptr) {
  struct statx sx;
  if (::statx(folderFd, path, AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT, STATX_INO | STATX_TYPE, &sx) != 0) return false;
  id = {makedev(sx.stx_dev_major, sx.stx_dev_minor), static_cast<ino_t>(sx.stx_ino)};
  if (mode != nullptr) *mode = sx.stx_mode;
  return true;
}

void addLinks(int folderFd, std::initializer_list<const char*> links, FileIdSet& into) {
  FileId id;
  for (const char* link : links)
    if (cachedId(folderFd, link, id)) into.insert(id);
}

// The open descriptors. This process's own open folders are those of the deleting walk itself,
// which would otherwise keep every folder it passes through.
void addLinksIn(int processFd, const char* folder, bool ownProcess, FileIdSet& into) {
  Descriptor fd(::openat(processFd, folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* links = fd.valid() ? ::fdopendir(fd.get()) : nullptr;
  if (links == nullptr) return;
  fd.release();
  FileId id;
  mode_t mode = 0;
  while (const dirent* link = ::readdir(links))
    if (link->d_name[0] != '.' && cachedId(::dirfd(links), link->d_name, id, &mode) && !(ownProcess && S_ISDIR(mode)))
      into.insert(id);
  ::closedir(links);
}

// Skips one field and the blanks after it.
const char* nextField(const char* p, const char* end) {
  while (p != end && *p != ' ') ++p;
  while (p != end && *p == ' ') ++p;
  return p;
}

unsigned long long parseNumber(const char*& p, const char* end, int base) {
  unsigned long long value = 0;
  for (; p != end; ++p) {
    const char c = *p;
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else break;
    value = value * base + digit;
  }
  return value;
}

// Each line: "start-end perms offset major:minor inode path". The device and inode are those of
// the file the kernel maps, which on layered file systems may differ from what stat sees through
// the path, so both are taken. A library is mapped in several pieces and by many processes: its
// path is looked at once.
void addMaps(int processFd, const MountTable& mounts, std::unordered_set<std::string>& looked, FileIdSet& into) {
  const std::string maps = readProcFile(processFd, "maps");
  const char* p = maps.data();
  const char* const end = p + maps.size();
  while (p < end) {
    const char* lineEnd = static_cast<const char*>(std::memchr(p, '\n', end - p));
    if (lineEnd == nullptr) lineEnd = end;
    const char* field = nextField(nextField(nextField(p, lineEnd), lineEnd), lineEnd);
    const unsigned major = static_cast<unsigned>(parseNumber(field, lineEnd, 16));
    const unsigned minor = field != lineEnd && *field == ':' ? static_cast<unsigned>(parseNumber(++field, lineEnd, 16)) : 0;
    field = nextField(field, lineEnd);
    const unsigned long long inode = parseNumber(field, lineEnd, 10);
    field = nextField(field, lineEnd);
    if (inode != 0) {
      into.insert({makedev(major, minor), static_cast<ino_t>(inode)});
      const std::string_view path(field, static_cast<std::size_t>(lineEnd - field));
      if (!path.empty() && path.front() == '/') {
        std::string name(path);
        if (looked.insert(name).second) addPathWithoutWaiting(name, mounts, into);
      }
    }
    p = lineEnd + 1;
  }
}

// Whether a thread has a kernel resource of its own (a file table, a working and root folder)
// rather than its process's. Where the kernel cannot compare them, it is taken to have one; where
// this user may not compare them, it may not read them either.
bool hasOwn(pid_t process, pid_t thread, int resource) {
  if (::syscall(SYS_kcmp, process, thread, resource, 0, 0) == 0) return false;
  return errno != EPERM && errno != EACCES;
}

pid_t numberOf(const char* name) {
  pid_t number = 0;
  for (const char* p = name; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return 0;
    number = number * 10 + (*p - '0');
  }
  return number;
}

// Threads made without sharing their parent's file table or folders (or that unshared them), and
// every thread of a process whose first thread has ended, keep them under task/.
void addOwnThreadFiles(int processFd, pid_t process, bool ownProcess, FileIdSet& into) {
  Descriptor tasksFd(::openat(processFd, "task", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* tasks = tasksFd.valid() ? ::fdopendir(tasksFd.get()) : nullptr;
  if (tasks == nullptr) return;
  tasksFd.release();
  while (const dirent* task = ::readdir(tasks)) {
    const pid_t thread = numberOf(task->d_name);
    if (thread <= 0 || thread == process) continue;
    const bool ownFiles = hasOwn(process, thread, KCMP_FILES);
    const bool ownFolders = hasOwn(process, thread, KCMP_FS);
    if (!ownFiles && !ownFolders) continue;
    Descriptor threadFd(::openat(::dirfd(tasks), task->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!threadFd.valid()) continue;
    if (ownFiles) addLinksIn(threadFd.get(), "fd", ownProcess, into);
    if (ownFolders) addLinks(threadFd.get(), {"cwd", "root"}, into);
  }
  ::closedir(tasks);
}

}  // namespace

std::string readProcFile(int folderFd, const char* name) {
  std::string text;
  Descriptor fd(::openat(folderFd, name, O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return text;
  char chunk[16384];
  for (;;) {
    const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  return text;
}

void addPathWithoutWaiting(const std::string& path, const MountTable& mounts, FileIdSet& into) {
  // A mapped file that was deleted is shown with this mark; nothing of that name is it any more.
  static constexpr std::string_view kDeleted = " (deleted)";
  if (path.size() > kDeleted.size() && path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
    return;
  FileId id;
  if (!mounts.pathMayWait(path) && cachedId(AT_FDCWD, path.c_str(), id)) into.insert(id);
}

void readProcessFiles(int processFd, pid_t process, const MountTable& mounts, std::unordered_set<std::string>& looked,
                      ProcessFiles& into) {
  const bool ownProcess = process == ::getpid();
  addLinks(processFd, {"cwd", "root", "exe"}, into.used);
  addLinksIn(processFd, "fd", ownProcess, into.used);
  // The maps table names every mapped file (map_files says the same, but only to the privileged).
  addMaps(processFd, mounts, looked, into.used);
  addOwnThreadFiles(processFd, process, ownProcess, into.used);
  addNamedPaths(readProcFile(processFd, "cmdline"), false, into.named);
  addNamedPaths(readProcFile(processFd, "environ"), true, into.named);
}

}  // namespace platform
