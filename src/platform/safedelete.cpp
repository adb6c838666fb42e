#include "safedelete.h"

#include <QDir>
#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

#include "platform/folders.h"

namespace platform {
namespace {

struct FileId {
  dev_t device;
  ino_t inode;
  friend bool operator==(const FileId&, const FileId&) = default;
};

struct FileIdHash {
  size_t operator()(const FileId& id) const { return std::hash<ino_t>()(id.inode) * 31 + std::hash<dev_t>()(id.device); }
};

FileId idOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// The desktop session keeps these in the temporary folder; deleting them breaks the session.
bool isSessionFile(std::string_view name) {
  const auto startsWith = [&](std::string_view prefix) { return name.substr(0, prefix.size()) == prefix; };
  const auto endsWith = [&](std::string_view suffix) {
    return name.size() >= suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
  };
  if (name.empty()) return false;
  if (name[0] == '.') return (startsWith(".X") && endsWith("-lock")) || endsWith("-unix");
  return startsWith("xauth") || startsWith("kde-") || startsWith("ksocket-") || startsWith("pulse-") ||
         startsWith("tmux-") || startsWith("ssh-");
}

// Every file some process has open, as far as we may look.
std::unordered_set<FileId, FileIdHash> filesInUse() {
  std::unordered_set<FileId, FileIdHash> inUse;
  DIR* processes = ::opendir("/proc");
  if (processes == nullptr) return inUse;
  while (const dirent* process = ::readdir(processes)) {
    if (process->d_name[0] < '1' || process->d_name[0] > '9') continue;
    const std::string fdFolder = std::string("/proc/") + process->d_name + "/fd";
    DIR* fds = ::opendir(fdFolder.c_str());
    if (fds == nullptr) continue;
    while (const dirent* fd = ::readdir(fds)) {
      if (fd->d_name[0] == '.') continue;
      struct stat st;
      if (::fstatat(::dirfd(fds), fd->d_name, &st, 0) == 0) inUse.insert(idOf(st));
    }
    ::closedir(fds);
  }
  ::closedir(processes);
  return inUse;
}

class SafeDeletion {
 public:
  SafeDeletion() : user_(::geteuid()), inUse_(filesInUse()) {}

  void emptyFolder(int startFd);
  bool deleteFile(int parentFd, const char* name);

 private:
  struct Entry {
    std::string name;
    FileId id;
  };
  struct Folder {
    FileId id;
    std::vector<Entry> files;
    std::vector<Entry> folders;
    size_t nextFolder = 0;
  };
  bool mayDelete(std::string_view name, const struct stat& st) const;
  void readFolder(int fd, Folder& folder) const;
  int enterFolder(int parentFd, const Entry& entry) const;

  uid_t user_;
  std::unordered_set<FileId, FileIdHash> inUse_;
  dev_t device_ = 0;
};

bool SafeDeletion::mayDelete(std::string_view name, const struct stat& st) const {
  if (st.st_uid != user_ || st.st_dev != device_ || isSessionFile(name)) return false;
  if (S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode)) return true;
  return S_ISREG(st.st_mode) && !inUse_.contains(idOf(st));
}

// Collects a folder's entries first, so that deleting never disturbs the listing.
void SafeDeletion::readFolder(int fd, Folder& folder) const {
  const int listFd = ::dup(fd);
  if (listFd < 0) return;
  DIR* listing = ::fdopendir(listFd);
  if (listing == nullptr) {
    ::close(listFd);
    return;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    struct stat st;
    if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !mayDelete(name, st)) continue;
    (S_ISDIR(st.st_mode) ? folder.folders : folder.files).push_back({std::string(name), idOf(st)});
  }
  ::closedir(listing);
}

// Opens a sub-folder without following a link, checks it is still the folder that was listed,
// and lets its owner read, write and enter it (its "read-only" mark is reset).
int SafeDeletion::enterFolder(int parentFd, const Entry& entry) const {
  Descriptor path(::openat(parentFd, entry.name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (!path.valid() || ::fstat(path.get(), &st) != 0 || !(idOf(st) == entry.id) || st.st_uid != user_) return -1;
  if ((st.st_mode & S_IRWXU) != S_IRWXU) {
    const std::string byDescriptor = "/proc/self/fd/" + std::to_string(path.get());
    ::chmod(byDescriptor.c_str(), (st.st_mode & 07777) | S_IRWXU);
  }
  return ::openat(path.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// Walks down and back up with one open folder at a time, so that no depth of nesting runs out of
// descriptors. Going up, ".." must be the folder we came from; if something moved it meanwhile
// the walk stops there.
void SafeDeletion::emptyFolder(int startFd) {
  struct stat st;
  if (::fstat(startFd, &st) != 0) return;
  device_ = st.st_dev;
  Descriptor fd(::dup(startFd));
  std::vector<Folder> path(1);
  path.back().id = idOf(st);
  if (!fd.valid()) return;
  readFolder(fd.get(), path.back());
  while (!path.empty()) {
    Folder& current = path.back();
    if (current.nextFolder < current.folders.size()) {
      const Entry& sub = current.folders[current.nextFolder++];
      const int subFd = enterFolder(fd.get(), sub);
      if (subFd < 0) continue;
      fd.reset(subFd);
      path.push_back({sub.id, {}, {}, 0});
      readFolder(fd.get(), path.back());
      continue;
    }
    for (const Entry& file : current.files) ::unlinkat(fd.get(), file.name.c_str(), 0);
    for (const Entry& sub : current.folders) ::unlinkat(fd.get(), sub.name.c_str(), AT_REMOVEDIR);
    path.pop_back();
    if (path.empty()) break;
    Descriptor parent(::openat(fd.get(), "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!parent.valid() || ::fstat(parent.get(), &st) != 0 || !(idOf(st) == path.back().id)) return;
    fd.reset(parent.release());
  }
}

bool SafeDeletion::deleteFile(int parentFd, const char* name) {
  struct stat st;
  if (::fstat(parentFd, &st) != 0) return false;
  device_ = st.st_dev;
  if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode) || !mayDelete(name, st))
    return false;
  return ::unlinkat(parentFd, name, 0) == 0;
}

bool sameFile(const struct stat& st, const QString& path) {
  struct stat other;
  return ::stat(QFile::encodeName(path).constData(), &other) == 0 && idOf(st) == idOf(other);
}

}  // namespace

void emptyFolderSafely(const QString& folder) {
  if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) return;
  Descriptor fd(::open(QFile::encodeName(QDir::cleanPath(folder)).constData(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0) return;
  // A folder setting gone wrong must not wipe the machine or the user's home.
  if (sameFile(st, QStringLiteral("/")) || sameFile(st, homeFolder())) return;
  SafeDeletion().emptyFolder(fd.get());
}

bool deleteFileSafely(const QString& file) {
  if (!QDir::isAbsolutePath(file)) return false;
  const QByteArray path = QFile::encodeName(QDir::cleanPath(file));
  const qsizetype slash = path.lastIndexOf('/');
  const QByteArray parent = slash == 0 ? QByteArray("/") : path.left(slash);
  Descriptor parentFd(::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!parentFd.valid()) return false;
  return SafeDeletion().deleteFile(parentFd.get(), path.constData() + slash + 1);
}

}  // namespace platform
