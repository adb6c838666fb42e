#include "runhistory.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"
#include "platform/nofollow.h"

namespace platform {
namespace {

bool gnomeShellSchemaInstalled() {
  QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
  if (dataDirs.isEmpty()) dataDirs = QStringLiteral("/usr/local/share:/usr/share");
  for (const QString& folder : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
    if (QFileInfo::exists(folder + QStringLiteral("/glib-2.0/schemas/org.gnome.shell.gschema.xml"))) return true;
  return false;
}

// GNOME Shell keeps its history in its settings, reached through gsettings; empty where it is not.
QString gnomeShellSettingsTool() {
  const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
  return gnomeShellSchemaInstalled() ? gsettings : QString();
}

QString kRunnerStateFile() { return userConfigHome() + QStringLiteral("/krunnerstaterc"); }

void clearGnomeShellHistory() {
  const QString gsettings = gnomeShellSettingsTool();
  if (gsettings.isEmpty()) return;
  QProcess::startDetached(gsettings, {QStringLiteral("set"), QStringLiteral("org.gnome.shell"),
                                      QStringLiteral("command-history"), QStringLiteral("[]")});
}

QByteArray readAll(int fd) {
  QByteArray content;
  char chunk[8192];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return got == 0 ? content : QByteArray();
    content.append(chunk, got);
  }
}

// Writes the new content beside the file and puts it in the file's place in one step, all through
// the folder's descriptor, so a link put anywhere on the way is never followed.
void replaceInFolder(int folderFd, const QByteArray& name, const QByteArray& content, mode_t mode) {
  const QByteArray temporary = '.' + name + ".sieciownik-" + QByteArray::number(::getpid());
  Descriptor out(::openat(folderFd, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
  if (!out.valid()) return;
  bool ok = true;
  for (qsizetype at = 0; ok && at < content.size();) {
    const ssize_t written = ::write(out.get(), content.constData() + at, content.size() - at);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    at += written;
  }
  ok = ok && ::fsync(out.get()) == 0;
  if (!ok || ::renameat(folderFd, temporary.constData(), folderFd, name.constData()) != 0)
    ::unlinkat(folderFd, temporary.constData(), 0);
}

// KRunner keeps its history as "history" entries of its state file.
void clearKRunnerHistory() {
  QByteArray name;
  const Descriptor folder = openParentNoFollow(kRunnerStateFile(), name);
  if (!folder.valid()) return;
  const Descriptor file(::openat(folder.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  if (!file.valid() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) return;
  const QList<QByteArray> lines = readAll(file.get()).split('\n');
  QByteArray kept;
  bool changed = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QByteArray key = lines[i].left(lines[i].indexOf('=')).trimmed();
    if (lines[i].contains('=') && (key == "history" || key.startsWith("history["))) {
      changed = true;
      continue;
    }
    kept += lines[i];
    if (i + 1 < lines.size()) kept += '\n';
  }
  if (changed) replaceInFolder(folder.get(), name, kept, st.st_mode & 07777);
}

}  // namespace

void clearRunDialogHistories() {
  clearGnomeShellHistory();
  clearKRunnerHistory();
}

bool runDialogHistoryExists() {
  if (!gnomeShellSettingsTool().isEmpty()) return true;
  const QFileInfo krunner(kRunnerStateFile());
  return krunner.isFile() && !krunner.isSymLink();
}

}  // namespace platform
