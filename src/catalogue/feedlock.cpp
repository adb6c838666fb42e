#include "feedlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <thread>
#include <fcntl.h>
#include <sys/file.h>

namespace catalogue {

QString lockedFolderOf(const QString& path) {
  // The writer replaces a link's target, so programs that reach one file through different links
  // must meet at the target's folder.
  char resolved[PATH_MAX];
  const QByteArray encoded = QFile::encodeName(path);
  if (::realpath(encoded.constData(), resolved) != nullptr) return QFileInfo(QFile::decodeName(resolved)).path();
  const QString folder = QFileInfo(path).path();
  if (::realpath(QFile::encodeName(folder).constData(), resolved) != nullptr) return QFile::decodeName(resolved);
  return folder;
}

FeedLock::FeedLock(const QString& path, std::chrono::milliseconds patience) {
  const QString folder = lockedFolderOf(path);
  folder_.reset(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // A folder that cannot be opened cannot be written either: the save says why.
  if (!folder_.valid()) return;
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    if (::flock(folder_.get(), LOCK_EX | LOCK_NB) == 0) return;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return;  // no locks here
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  folder_.reset();
  error_ = QStringLiteral("Nie można zapisać pliku „%1”: zapisuje go teraz inny program. Spróbuj ponownie za chwilę.")
               .arg(QDir::toNativeSeparators(path));
}

}  // namespace catalogue
