#include "runhistory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/folders.h"

namespace platform {
namespace {

bool gnomeShellSchemaInstalled() {
  QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
  if (dataDirs.isEmpty()) dataDirs = QStringLiteral("/usr/local/share:/usr/share");
  for (const QString& folder : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts))
    if (QFileInfo::exists(folder + QStringLiteral("/glib-2.0/schemas/org.gnome.shell.gschema.xml"))) return true;
  return false;
}

void clearGnomeShellHistory() {
  const QString gsettings = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
  if (gsettings.isEmpty() || !gnomeShellSchemaInstalled()) return;
  QProcess::startDetached(gsettings, {QStringLiteral("set"), QStringLiteral("org.gnome.shell"),
                                      QStringLiteral("command-history"), QStringLiteral("[]")});
}

// KRunner keeps its history as "history" entries of its state file.
void clearKRunnerHistory() {
  const QString path = userConfigHome() + QStringLiteral("/krunnerstaterc");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QList<QByteArray> lines = file.readAll().split('\n');
  file.close();
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
  if (!changed) return;
  QSaveFile out(path);
  if (out.open(QIODevice::WriteOnly) && out.write(kept) == kept.size()) out.commit();
}

}  // namespace

void clearRunDialogHistories() {
  clearGnomeShellHistory();
  clearKRunnerHistory();
}

}  // namespace platform
