#include "inuse.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sock_diag.h>
#include <linux/unix_diag.h>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <vector>

#include "platform/descriptor.h"
#include "platform/processfiles.h"
#include "platform/procfile.h"

namespace platform {
namespace {

// NLMSG_OK, without its comparison of the message's unsigned length with a signed count.
bool messageFits(const nlmsghdr* header, int left) {
  return left >= static_cast<int>(sizeof(nlmsghdr)) && header->nlmsg_len >= sizeof(nlmsghdr) &&
         header->nlmsg_len <= static_cast<unsigned>(left);
}

bool isProcessNumber(const char* name) {
  if (*name < '1' || *name > '9') return false;
  for (const char* p = name; *p != '\0'; ++p)
    if (*p < '0' || *p > '9') return false;
  return true;
}

std::vector<std::string> processNumbers(const char* procFolder) {
  std::vector<std::string> numbers;
  DIR* processes = ::opendir(procFolder);
  if (processes == nullptr) return numbers;
  while (const dirent* process = ::readdir(processes))
    if (isProcessNumber(process->d_name)) numbers.emplace_back(process->d_name);
  ::closedir(processes);
  return numbers;
}

// The kernel's own device numbers (as the socket list gives them) keep the minor number in the
// low 20 bits.
dev_t fromKernelDevice(std::uint32_t device) { return makedev(device >> 20, device & 0xfffff); }

}  // namespace

FilesInUse FilesInUse::scan(const MountTable& mounts, const char* procFolder, const char* sysFolder) {
  FilesInUse inUse;
  inUse.addBoundSockets();
  inUse.addLoopBackingFiles(sysFolder, mounts);
  Descriptor procFd(::open(procFolder, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!procFd.valid()) return inUse;
  inUse.addLocks(procFd.get());
  inUse.addSwapFiles(procFd.get(), mounts);
  inUse.addProcesses(procFolder, mounts);
  return inUse;
}

// The processes are read on a thread of their own. Reading a process's tables waits for the
// process's own memory lock, which a process stuck on a file system that stopped answering may
// hold for good: a process that keeps the reading from going on for a second is passed over, and
// the rest are read on a new thread.
void FilesInUse::addProcesses(const char* procFolder, const MountTable& mounts) {
  const std::vector<std::string> processes = processNumbers(procFolder);
  struct Reading {
    std::mutex mutex;
    std::condition_variable progress;
    std::size_t done = 0;
    bool finished = false;
    bool abandoned = false;
    ProcessFiles found;
  };
  const auto table = std::make_shared<const MountTable>(mounts);
  const std::string folder = procFolder;
  for (std::size_t next = 0; next < processes.size();) {
    const auto reading = std::make_shared<Reading>();
    std::vector<std::string> numbers(processes.begin() + static_cast<std::ptrdiff_t>(next), processes.end());
    std::thread([reading, table, folder, numbers = std::move(numbers)] {
      const Descriptor procFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      std::unordered_set<std::string> looked;
      for (const std::string& number : numbers) {
        ProcessFiles found;
        const Descriptor processFd(::openat(procFd.get(), number.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (processFd.valid()) readProcessFiles(processFd.get(), std::stoi(number), *table, looked, found);
        const std::lock_guard lock(reading->mutex);
        if (reading->abandoned) return;
        reading->found.used.merge(found.used);
        reading->found.named.merge(found.named);
        ++reading->done;
        reading->progress.notify_all();
      }
      const std::lock_guard lock(reading->mutex);
      reading->finished = true;
      reading->progress.notify_all();
    }).detach();
    std::unique_lock lock(reading->mutex);
    for (std::size_t seen = 0; !reading->finished; seen = reading->done) {
      if (!reading->progress.wait_for(lock, std::chrono::seconds(1),
                                      [&] { return reading->finished || reading->done != seen; })) {
        reading->abandoned = true;
        break;
      }
    }
    ids_.merge(reading->found.used);
    named_.merge(reading->found.named);
    next += reading->done + (reading->finished ? 0 : 1);
  }
}

// Each line: "1: POSIX ADVISORY WRITE 1234 08:01:5678 0 EOF"; the device is hexadecimal.
void FilesInUse::addLocks(int procFd) {
  const std::string locks = readProcFile(procFd, "locks");
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
void FilesInUse::addLoopBackingFiles(const char* sysFolder, const MountTable& mounts) {
  Descriptor blockFd(::openat(AT_FDCWD, (std::string(sysFolder) + "/block").c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  DIR* devices = blockFd.valid() ? ::fdopendir(blockFd.get()) : nullptr;
  if (devices == nullptr) return;
  const int devicesFd = blockFd.release();
  while (const dirent* device = ::readdir(devices)) {
    if (std::strncmp(device->d_name, "loop", 4) != 0) continue;
    Descriptor loopFd(::openat(devicesFd, device->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!loopFd.valid()) continue;
    std::string path = readProcFile(loopFd.get(), "loop/backing_file");
    while (!path.empty() && path.back() == '\n') path.pop_back();
    if (!path.empty() && path.front() == '/') addPathWithoutWaiting(path, mounts, ids_);
  }
  ::closedir(devices);
}

// After a heading line, each line: "Filename Type Size Used Priority", with blanks in the name
// written as \040.
void FilesInUse::addSwapFiles(int procFd, const MountTable& mounts) {
  const std::string swaps = readProcFile(procFd, "swaps");
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
    addPathWithoutWaiting(name, mounts, ids_);
  }
}

bool processIsRunning(pid_t pid) {
  if (pid <= 0) return false;
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace platform
