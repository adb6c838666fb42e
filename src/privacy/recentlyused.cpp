#include "recentlyused.h"

#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/nofollow.h"

namespace privacy {

const QByteArray kEmptyRecentlyUsedList = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\"\n"
    "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
    "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n"
    ">\n"
    "</xbel>\n");

namespace {

constexpr char kListName[] = "recently-used.xbel";

bool writeAll(int fd, const QByteArray& data) {
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += written;
  }
  return true;
}

}  // namespace

bool emptyRecentlyUsedList(const QString& dataFolder) {
  using platform::Descriptor;
  Descriptor folder(platform::openNoFollow(dataFolder, O_PATH | O_DIRECTORY));
  if (!folder.valid()) return false;
  struct stat old {};
  if (::fstatat(folder.get(), kListName, &old, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(old.st_mode) ||
      old.st_uid != ::geteuid() || (old.st_mode & S_IWUSR) == 0)
    return false;

  // The new list gets a name of its own beside the old one and then takes the old one's name in
  // one step.
  QByteArray temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = QByteArrayLiteral(".recently-used.xbel.") + QByteArray::number(QRandomGenerator::global()->generate(), 16);
    fd = ::openat(folder.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool written = ::fchmod(fd, old.st_mode & 07777) == 0 && writeAll(fd, kEmptyRecentlyUsedList) && ::fsync(fd) == 0;
  written = ::close(fd) == 0 && written;
  if (!written || ::renameat(folder.get(), temporary.constData(), folder.get(), kListName) != 0) {
    ::unlinkat(folder.get(), temporary.constData(), 0);
    return false;
  }
  // Durable sooner; the replacement is done either way.
  Descriptor sync(::openat(folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (sync.valid()) ::fsync(sync.get());
  return true;
}

}  // namespace privacy
