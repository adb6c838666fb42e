#include "keptfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <pwd.h>
#include <unistd.h>

#include "platform/descriptor.h"
#include "platform/folders.h"
#include "platform/programfolder.h"
#include "platform/registrystore.h"

namespace platform {
namespace {

QString userDatabaseHome() {
  const passwd* entry = ::getpwuid(::geteuid());
  return entry != nullptr && entry->pw_dir != nullptr ? QFile::decodeName(entry->pw_dir) : QString();
}

QString folderOf(const QString& file) { return QFileInfo(file).path(); }

}  // namespace

QStringList desktopSpecialFolders() {
  QFile file(userConfigHome() + QStringLiteral("/user-dirs.dirs"));
  QStringList folders;
  if (!file.open(QIODevice::ReadOnly)) return folders;
  // Lines such as XDG_DOCUMENTS_DIR="$HOME/Dokumenty"; the value is $HOME/… or absolute.
  static const QRegularExpression line(QStringLiteral("^\\s*XDG_[A-Z]+_DIR\\s*=\\s*\"([^\"]*)\"\\s*$"));
  for (const QByteArray& raw : file.readAll().split('\n')) {
    const QRegularExpressionMatch match = line.match(QString::fromUtf8(raw));
    if (!match.hasMatch()) continue;
    QString value = match.captured(1);
    if (value.startsWith(QLatin1String("$HOME"))) value = homeFolder() + value.mid(5);
    if (QDir::isAbsolutePath(value)) folders << value;
  }
  return folders;
}

KeptFolders KeptFolders::ofThisSession(const MountTable& mounts) {
  const QString home = homeFolder();
  QStringList folders{home,
                      userDatabaseHome(),
                      userConfigHome(),
                      userDataHome(),
                      userCacheHome(),
                      userStateHome(),
                      home + QStringLiteral("/.config"),
                      home + QStringLiteral("/.local/share"),
                      home + QStringLiteral("/.local/state"),
                      home + QStringLiteral("/.cache"),
                      folderOf(settingsStoreFile(RootKey::CurrentUser)),
                      folderOf(settingsStoreFile(RootKey::LocalMachine))};
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (QDir::isAbsolutePath(runtime)) folders << runtime;
  folders << desktopSpecialFolders();
  // The program's folder and the places its catalogues and help page may be kept in.
  const QString program = programFolder();
  folders << program << installedShareFolder(program) << userDataFolder();
  return of(folders, mounts);
}

KeptFolders KeptFolders::of(const QStringList& folders, const MountTable& mounts) {
  KeptFolders kept;
  for (const QString& folder : folders)
    if (QDir::isAbsolutePath(folder)) kept.add(folder, mounts);
  return kept;
}

namespace {

bool cachedIdOf(int fd, FileId& id) {
  struct statx sx;
  if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_INO, &sx) != 0) return false;
  id = {makedev(sx.stx_dev_major, sx.stx_dev_minor), static_cast<ino_t>(sx.stx_ino)};
  return true;
}

}  // namespace

// The folder is found as the system finds it (links followed: whatever a link leads to is what
// must stay), then every folder above it by "..", as the file system itself sees them. Where the
// way goes on inside a mount that may wait, the folder that holds that mount holds the kept one.
void KeptFolders::add(const QString& folder, const MountTable& mounts) {
  Reached reached = openWithoutWaiting(folder, mounts);
  Descriptor fd = std::move(reached.fd);
  FileId id;
  if (!fd.valid() || !cachedIdOf(fd.get(), id)) return;
  (reached.whole ? kept_ : holders_).insert(id);
  for (;;) {
    Descriptor parent(::openat(fd.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    FileId up;
    if (!parent.valid() || !cachedIdOf(parent.get(), up) || up == id) return;
    holders_.insert(up);
    id = up;
    fd = std::move(parent);
  }
}

}  // namespace platform
