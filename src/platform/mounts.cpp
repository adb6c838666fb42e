#include "mounts.h"

#include <QFile>
#include <QDir>
#include <algorithm>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

bool hasPrefix(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The mount table escapes blanks, tabs, line ends and backslashes as \ooo.
std::string unescape(std::string_view field) {
  std::string text;
  text.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field.substr(i + 1, 3).find_first_not_of("01234567") == std::string_view::npos) {
      text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      text += field[i];
    }
  }
  return text;
}

// Whether `path` is `folder` or lies below it.
bool isAtOrBelow(std::string_view path, std::string_view folder) {
  if (folder == "/") return true;
  return hasPrefix(path, folder) && (path.size() == folder.size() || path[folder.size()] == '/');
}

// Each line: "36 35 98:0 /root /mount/point options [optional fields] - type source super-options".
bool parseLine(std::string_view line, Mount& mount) {
  std::vector<std::string_view> fields;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t end = std::min(line.find(' ', at), line.size());
    if (end > at) fields.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  const auto separator = std::find(fields.begin(), fields.end(), std::string_view("-"));
  if (fields.size() < 5 || separator == fields.end() || separator + 1 == fields.end()) return false;
  mount.id = 0;
  for (const char digit : fields[0]) {
    if (digit < '0' || digit > '9') return false;
    mount.id = mount.id * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  mount.point = unescape(fields[4]);
  mount.type = std::string(*(separator + 1));
  return true;
}

}  // namespace

bool fileSystemMayWait(std::string_view type) {
  static constexpr std::string_view kWaiting[] = {
      "nfs",  "nfs4",      "cifs",   "smb3",  "smbfs",   "ncpfs", "9p",     "afs",    "ceph", "glusterfs",
      "lustre", "davfs",   "coda",   "orangefs", "beegfs", "gpfs", "vboxsf", "virtiofs", "fuse", "fuseblk",
      "autofs"};
  // fuse.<name> is a program's own file system (sshfs, rclone, an AppImage's own files).
  return std::find(std::begin(kWaiting), std::end(kWaiting), type) != std::end(kWaiting) || hasPrefix(type, "fuse.");
}

bool isPseudoFileSystem(std::string_view type) {
  static constexpr std::string_view kPseudo[] = {
      "proc",      "sysfs",     "devtmpfs", "devpts",      "cgroup", "cgroup2", "securityfs", "debugfs", "tracefs",
      "configfs",  "fusectl",   "mqueue",   "hugetlbfs",   "pstore", "bpf",     "binfmt_misc", "rpc_pipefs", "nsfs",
      "efivarfs",  "selinuxfs", "squashfs", "ramfs"};
  return std::find(std::begin(kPseudo), std::end(kPseudo), type) != std::end(kPseudo);
}

MountTable MountTable::ofThisProcess(const char* mountInfo) {
  MountTable table;
  QFile file(QString::fromLocal8Bit(mountInfo));
  if (!file.open(QIODevice::ReadOnly)) return table;
  const QByteArray text = file.readAll();
  for (const QByteArray& line : text.split('\n')) {
    Mount mount;
    if (!parseLine(std::string_view(line.constData(), static_cast<std::size_t>(line.size())), mount)) continue;
    if (fileSystemMayWait(mount.type)) table.waitingPoints_.push_back(mount.point);
    table.mounts_.push_back(std::move(mount));
  }
  return table;
}

bool MountTable::mayWait(std::uint64_t mountId) const {
  const auto found = std::find_if(mounts_.begin(), mounts_.end(), [mountId](const Mount& m) { return m.id == mountId; });
  return found == mounts_.end() || fileSystemMayWait(found->type);
}

bool MountTable::pathMayWait(std::string_view path) const {
  return std::any_of(waitingPoints_.begin(), waitingPoints_.end(),
                     [path](const std::string& point) { return isAtOrBelow(path, point); });
}

bool mountOf(int fd, std::uint64_t& mountId) {
  struct statx sx;
  if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC | AT_NO_AUTOMOUNT, STATX_MNT_ID, &sx) != 0 ||
      (sx.stx_mask & STATX_MNT_ID) == 0)
    return false;
  mountId = sx.stx_mnt_id;
  return true;
}

Reached openWithoutWaiting(const QString& absolutePath, const MountTable& mounts) {
  Reached reached;
  if (!QDir::isAbsolutePath(absolutePath)) return reached;
  std::vector<QByteArray> pending;  // the components still to go, the next one last
  const auto push = [&pending](const QByteArray& path) {
    QList<QByteArray> parts = path.split('/');
    for (auto part = parts.crbegin(); part != parts.crend(); ++part)
      if (!part->isEmpty() && *part != ".") pending.push_back(*part);
  };
  push(QFile::encodeName(absolutePath));
  Descriptor fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  std::vector<Descriptor> above;  // for ".."; going up through the kernel could leave a mount
  int linksFollowed = 0;
  while (fd.valid() && !pending.empty()) {
    std::uint64_t mount = 0;
    if (!mountOf(fd.get(), mount) || mounts.mayWait(mount)) {
      if (!above.empty()) reached.fd = std::move(above.back());
      return reached;
    }
    const QByteArray name = pending.back();
    pending.pop_back();
    if (name == "..") {
      if (!above.empty()) {
        fd = std::move(above.back());
        above.pop_back();
      }
      continue;
    }
    Descriptor next(::openat(fd.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    // From the cached attributes: `next` may be the root of a mount that waits.
    struct statx sx;
    if (!next.valid() || ::statx(next.get(), "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_TYPE, &sx) != 0)
      return reached;
    if (S_ISLNK(sx.stx_mode)) {
      char target[4096];
      const ssize_t length = ::readlinkat(next.get(), "", target, sizeof target);
      if (length <= 0 || static_cast<std::size_t>(length) >= sizeof target || ++linksFollowed > 40) return reached;
      const QByteArray link(target, static_cast<qsizetype>(length));
      push(link);
      if (link.startsWith('/')) {
        above.clear();
        fd.reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
      }
      continue;
    }
    above.push_back(std::move(fd));
    fd = std::move(next);
  }
  reached.whole = fd.valid();
  reached.fd = std::move(fd);
  return reached;
}

bool finishesWithin(std::chrono::milliseconds limit, std::function<void()> job) {
  struct State {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
  };
  const auto state = std::make_shared<State>();
  std::thread([state, job = std::move(job)] {
    job();
    const std::lock_guard lock(state->mutex);
    state->done = true;
    state->finished.notify_all();
  }).detach();
  std::unique_lock lock(state->mutex);
  return state->finished.wait_for(lock, limit, [&state] { return state->done; });
}

}  // namespace platform
