#include "folders.h"

#include <QDir>

namespace platform {
namespace {

// An XDG variable counts only when it holds an absolute path, as the XDG rules say.
QString xdgFolder(const char* variable, const char* fallbackUnderHome) {
  const QString value = qEnvironmentVariable(variable);
  if (!value.isEmpty() && QDir::isAbsolutePath(value)) return QDir::cleanPath(value);
  return homeFolder() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
}

}  // namespace

QString machineRoot() {
  const QString root = qEnvironmentVariable("SIECIOWNIK_MACHINE_ROOT");
  if (root.isEmpty() || !QDir::isAbsolutePath(root)) return QStringLiteral("/");
  return QDir::cleanPath(root);
}

QString underMachineRoot(const QString& absolutePath) {
  const QString root = machineRoot();
  if (root == QLatin1String("/")) return QDir::cleanPath(absolutePath);
  return QDir::cleanPath(root + QLatin1Char('/') + absolutePath);
}

QString homeFolder() { return QDir::cleanPath(qEnvironmentVariable("HOME")); }
QString userConfigHome() { return xdgFolder("XDG_CONFIG_HOME", ".config"); }
QString userDataHome() { return xdgFolder("XDG_DATA_HOME", ".local/share"); }
QString userCacheHome() { return xdgFolder("XDG_CACHE_HOME", ".cache"); }
QString userStateHome() { return xdgFolder("XDG_STATE_HOME", ".local/state"); }

QString userTempFolder() {
  const QString tmp = qEnvironmentVariable("TMPDIR");
  if (!tmp.isEmpty() && QDir::isAbsolutePath(tmp)) return QDir::cleanPath(tmp);
  return underMachineRoot(QStringLiteral("/tmp"));
}

QString machineTempFolder() { return underMachineRoot(QStringLiteral("/var/tmp")); }

// The web engine's default profile lives under the application's name.
QString webEngineStorageFolder() { return userDataHome() + QStringLiteral("/Sieciownik/QtWebEngine/Default"); }
QString webEngineCacheFolder() { return userCacheHome() + QStringLiteral("/Sieciownik/QtWebEngine/Default"); }

QString expandEnvironmentStrings(const QString& text) {
  QString result;
  result.reserve(text.size());
  qsizetype at = 0;
  while (at < text.size()) {
    const qsizetype open = text.indexOf(QLatin1Char('%'), at);
    if (open < 0) break;
    const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
    if (close < 0) break;
    result += QStringView(text).mid(at, open - at);
    const QString name = text.mid(open + 1, close - open - 1);
    const QByteArray variable = name.toLocal8Bit();
    if (!name.isEmpty() && qEnvironmentVariableIsSet(variable.constData())) {
      result += qEnvironmentVariable(variable.constData());
      at = close + 1;
    } else {
      // Not a known variable: keep the first '%' and let the second one open a new reference.
      result += QStringView(text).mid(open, close - open);
      at = close;
    }
  }
  result += QStringView(text).mid(at);
  return result;
}

}  // namespace platform
