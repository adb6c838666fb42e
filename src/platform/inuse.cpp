#include "inuse.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "platform/descriptor.h"

namespace platform {
namespace {

// NLMSG_OK, without its comparison of the message's unsigned length with a signed count.
bool messageFits(const nlmsghdr* header, int left) {
  return left >= static_cast<int>(sizeof(nlmsghdr)) && header->nlmsg_len >= sizeof(nlmsghdr) &&
         header->nlmsg_len <= static_cast<unsigned>(left);
}

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

// The device and inode of what a path names, from the attributes the kernel has cached: a file on
// a network or FUSE mount whose server is away would otherwise make the look wait for it.
bool cachedId(int folderFd, const char* path, int flags, FileId& id) {
  struct statx sx;
  if (::statx(folderFd, path, flags | AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT, STATX_INO, &sx) != 0) return false;
  id = {makedev(sx.stx_dev_major, sx.stx_dev_minor), static_cast<ino_t>(sx.stx_ino)};
  return true;
}

// The kernel's own device numbers (as the socket list gives them) keep the minor number in the
// low 20 bits.
dev_t fromKernelDevice(std::uint32_t device) { return makedev(device >> 20, device & 0xfffff); }

}  // namespace

FilesInUse FilesInUse::scan(const char* procFolder, const char* sysFolder) {
  FilesInUse inUse;
  inUse.addBoundSockets();
  inUse.addLoopBackingFiles(sysFolder);
  Descriptor procFd(::open(procFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!procFd.valid()) return inUse;
  inUse.addLocks(procFd.get());
  inUse.addSwapFiles(procFd.get());
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
  FileId id;
  for (const char* link : {"cwd", "root", "exe"})
    if (cachedId(processFd, link, 0, id)) ids_.insert(id);
  addLinksIn(processFd, "fd");
  // The maps table names every mapped file (map_files says the same, but only to the privileged).
  addMaps(processFd, mappedPaths);
}

void FilesInUse::addLinksIn(int processFd, const char* folder) {
  Descriptor fd(::openat(processFd, folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* links = fd.valid() ? ::fdopendir(fd.get()) : nullptr;
  if (links == nullptr) return;
  fd.release();
  FileId id;
  while (const dirent* link = ::readdir(links))
    if (link->d_name[0] != '.' && cachedId(::dirfd(links), link->d_name, 0, id)) ids_.insert(id);
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
      addNamed({makedev(major, minor), static_cast<ino_t>(inode)});
  }
}

void FilesInUse::addPath(const std::string& name) {
  // A mapped file that was deleted is shown with this mark; nothing of that name is it any more.
  static constexpr std::string_view kDeleted = " (deleted)";
  if (name.size() > kDeleted.size() && name.compare(name.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
    return;
  FileId id;
  if (cachedId(AT_FDCWD, name.c_str(), 0, id)) ids_.insert(id);
}

void FilesInUse::addNamed(const FileId& id) {
  ids_.insert(id);
  inodes_.insert(id.inode);
}

// Every socket file a program has bound, from the kernel's socket list: the file's own device and
// inode come with it, so no path needs resolving.
void FilesInUse::addBoundSockets() {
  Descriptor fd(::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
  if (!fd.valid()) return;
  struct {
    nlmsghdr header;
    unix_diag_req request;
  } message{};
  message.header.nlmsg_len = sizeof message;
  message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
  message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  message.request.sdiag_family = AF_UNIX;
  message.request.udiag_states = ~0u;
  message.request.udiag_show = UDIAG_SHOW_VFS;
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (::sendto(fd.get(), &message, sizeof message, 0, reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) < 0)
    return;
  alignas(nlmsghdr) char buffer[32768];
  FileIdSet found;
  for (;;) {
    ssize_t got = ::recv(fd.get(), buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    int left = static_cast<int>(got);
    for (auto* header = reinterpret_cast<nlmsghdr*>(buffer); messageFits(header, left);
         header = NLMSG_NEXT(header, left)) {
      if (header->nlmsg_type == NLMSG_ERROR) return;
      if (header->nlmsg_type == NLMSG_DONE) {
        for (const FileId& id : found) addNamed(id);
        socketsListed_ = true;
        return;
      }
      const auto* socket = static_cast<const unix_diag_msg*>(NLMSG_DATA(header));
      int attributesLeft = static_cast<int>(header->nlmsg_len - NLMSG_LENGTH(sizeof *socket));
      for (auto* attribute = reinterpret_cast<rtattr*>(const_cast<unix_diag_msg*>(socket) + 1);
           RTA_OK(attribute, attributesLeft); attribute = RTA_NEXT(attribute, attributesLeft)) {
        if (attribute->rta_type != UNIX_DIAG_VFS) continue;
        unix_diag_vfs file;
        std::memcpy(&file, RTA_DATA(attribute), sizeof file);
        found.insert({fromKernelDevice(file.udiag_vfs_dev), static_cast<ino_t>(file.udiag_vfs_ino)});
      }
    }
  }
}

// A disk image attached to a loop device is a disk in use, whatever its name.
void FilesInUse::addLoopBackingFiles(const char* sysFolder) {
  Descriptor blockFd(::openat(AT_FDCWD, (std::string(sysFolder) + "/block").c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* devices = blockFd.valid() ? ::fdopendir(blockFd.get()) : nullptr;
  if (devices == nullptr) return;
  const int devicesFd = blockFd.release();
  while (const dirent* device = ::readdir(devices)) {
    if (std::strncmp(device->d_name, "loop", 4) != 0) continue;
    Descriptor loopFd(::openat(devicesFd, device->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!loopFd.valid()) continue;
    std::string path = readAll(loopFd.get(), "loop/backing_file");
    while (!path.empty() && path.back() == '\n') path.pop_back();
    if (!path.empty() && path.front() == '/') addPath(path);
  }
  ::closedir(devices);
}

// After a heading line, each line: "Filename Type Size Used Priority", with blanks in the name
// written as \040.
void FilesInUse::addSwapFiles(int procFd) {
  const std::string swaps = readAll(procFd, "swaps");
  std::size_t at = swaps.find('\n');
  while (at != std::string::npos) {
    const std::size_t lineEnd = std::min(swaps.find('\n', at + 1), swaps.size());
    const std::string_view line(swaps.data() + at + 1, lineEnd - at - 1);
    at = lineEnd < swaps.size() ? lineEnd : std::string::npos;
    const std::size_t nameEnd = line.find_first_of(" \t");
    const std::size_t typeStart = line.find_first_not_of(" \t", nameEnd);
    if (typeStart == std::string_view::npos) continue;
    const std::string_view type = line.substr(typeStart, line.find_first_of(" \t", typeStart) - typeStart);
    if (type != "file") continue;
    std::string name;
    for (std::size_t i = 0; i < nameEnd; ++i) {
      const std::string_view code = line.substr(i + 1, 3);
      const bool escaped = line[i] == '\\' && code.size() == 3 &&
                           code.find_first_not_of("01234567") == std::string_view::npos;
      name += escaped ? static_cast<char>((code[0] - '0') * 64 + (code[1] - '0') * 8 + (code[2] - '0')) : line[i];
      if (escaped) i += 3;
    }
    addPath(name);
  }
}

bool processIsRunning(pid_t pid) {
  if (pid <= 0) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace platform
