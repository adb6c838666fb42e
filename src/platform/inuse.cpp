#include "inuse.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/sysmacros.h>

#include "platform/descriptor.h"

namespace platform {
namespace {

// Reads a whole small file of /proc (they report a size of 0, so read until the end).
std::string readAll(int folderFd, const char* name) {
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

bool isProcessNumber(const char* name) {
  if (*name < '1' || *name > '9') return false;
  for (const char* p = name; *p != '\0'; ++p)
    if (*p < '0' || *p > '9') return false;
  return true;
}

}  // namespace

FilesInUse FilesInUse::scan(const char* procFolder) {
  FilesInUse inUse;
  Descriptor procFd(::open(procFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!procFd.valid()) return inUse;
  inUse.addLocks(procFd.get());
  Descriptor listFd(::dup(procFd.get()));
  DIR* processes = listFd.valid() ? ::fdopendir(listFd.get()) : nullptr;
  if (processes == nullptr) return inUse;
  listFd.release();
  PathSet mappedPaths;
  while (const dirent* process = ::readdir(processes)) {
    if (!isProcessNumber(process->d_name)) continue;
    Descriptor processFd(::openat(procFd.get(), process->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (processFd.valid()) inUse.addProcess(processFd.get(), mappedPaths);
  }
  ::closedir(processes);
  return inUse;
}

void FilesInUse::addProcess(int processFd, PathSet& mappedPaths) {
  struct stat st;
  for (const char* link : {"cwd", "root", "exe"})
    if (::fstatat(processFd, link, &st, 0) == 0) ids_.insert(idOf(st));
  addLinksIn(processFd, "fd");
  // The maps table names every mapped file (map_files says the same, but only to the privileged).
  addMaps(processFd, mappedPaths);
}

void FilesInUse::addLinksIn(int processFd, const char* folder) {
  Descriptor fd(::openat(processFd, folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* links = fd.valid() ? ::fdopendir(fd.get()) : nullptr;
  if (links == nullptr) return;
  fd.release();
  struct stat st;
  while (const dirent* link = ::readdir(links))
    if (link->d_name[0] != '.' && ::fstatat(::dirfd(links), link->d_name, &st, 0) == 0) ids_.insert(idOf(st));
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
void FilesInUse::addMaps(int processFd, PathSet& mappedPaths) {
  const std::string maps = readAll(processFd, "maps");
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
      ids_.insert({makedev(major, minor), static_cast<ino_t>(inode)});
      const std::string_view path(field, static_cast<std::size_t>(lineEnd - field));
      if (!path.empty() && path.front() == '/') {
        std::string name(path);
        if (mappedPaths.insert(name).second) addPath(name);
      }
    }
    p = lineEnd + 1;
  }
}

// Each line: "1: POSIX ADVISORY WRITE 1234 08:01:5678 0 EOF"; the device is hexadecimal.
void FilesInUse::addLocks(int procFd) {
  const std::string locks = readAll(procFd, "locks");
  std::size_t at = 0;
  while (at < locks.size()) {
    std::size_t end = locks.find('\n', at);
    if (end == std::string::npos) end = locks.size();
    const std::string line = locks.substr(at, end - at);
    at = end + 1;
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    // A request still waiting ("-> ...") holds nothing; its file is listed with the lock it waits for.
    if (line.find("->") != std::string::npos) continue;
    if (std::sscanf(line.c_str(), "%*s %*s %*s %*s %*s %x:%x:%llu", &major, &minor, &inode) == 3)
      ids_.insert({makedev(major, minor), static_cast<ino_t>(inode)});
  }
}

void FilesInUse::addPath(const std::string& name) {
  // A mapped file that was deleted is shown with this mark; nothing of that name is it any more.
  static constexpr std::string_view kDeleted = " (deleted)";
  if (name.size() > kDeleted.size() && name.compare(name.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
    return;
  struct stat st;
  if (::stat(name.c_str(), &st) == 0) ids_.insert(idOf(st));
}

bool processIsRunning(pid_t pid) {
  if (pid <= 0) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace platform
