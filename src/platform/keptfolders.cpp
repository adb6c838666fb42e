#include "keptfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <fcntl.h>
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

KeptFolders KeptFolders::ofThisSession() {
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
  return of(folders);
}

KeptFolders KeptFolders::of(const QStringList& folders) {
  KeptFolders kept;
  for (const QString& folder : folders)
    if (QDir::isAbsolutePath(folder)) kept.add(folder);
  return kept;
}

// The folder is found as the system finds it (links followed: whatever a link leads to is what
// must stay), then every folder above it by "..", as the file system itself sees them.
void KeptFolders::add(const QString& folder) {
  Descriptor fd(::open(QFile::encodeName(folder).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  struct stat st;
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0) return;
  kept_.insert(idOf(st));
  for (;;) {
    Descriptor parent(::openat(fd.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat up;
    if (!parent.valid() || ::fstat(parent.get(), &up) != 0 || idOf(up) == idOf(st)) return;
    holders_.insert(idOf(up));
    st = up;
    fd = std::move(parent);
  }
}

}  // namespace platform
