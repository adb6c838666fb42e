#include "sandbox.h"

#include <QDir>
#include <stdexcept>

namespace testsupport {
namespace {

// Qt's temporary folder is empty when TMPDIR names no folder, and a temporary folder would then be
// made in the working folder.
QString checkedTempPath() {
  const QString path = QDir::tempPath();
  if (path.isEmpty())
    throw std::runtime_error("test sandbox: TMPDIR names no folder: " + qEnvironmentVariable("TMPDIR").toStdString());
  return path;
}

}  // namespace

// Without its own folder a test would run against the real home, temporary folder and machine
// root: it stops here instead, before any variable is moved.
Sandbox::Sandbox() : dir_(checkedTempPath() + QStringLiteral("/sieciownik-test-XXXXXX")) {
  if (!dir_.isValid())
    throw std::runtime_error("test sandbox: cannot create a temporary folder in " +
                             QDir::tempPath().toStdString() + ": " + dir_.errorString().toStdString());
  const QString home = this->home();
  for (const QString& sub : {QStringLiteral("home/.config"), QStringLiteral("home/.local/share"),
                             QStringLiteral("home/.cache"), QStringLiteral("tmp"), QStringLiteral("root"),
                             QStringLiteral("runtime")})
    if (!QDir(dir_.path()).mkpath(sub))
      throw std::runtime_error("test sandbox: cannot create " + filePath(sub).toStdString());
  if (!QFile::setPermissions(filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
    throw std::runtime_error("test sandbox: cannot restrict " + filePath(QStringLiteral("runtime")).toStdString());
  set("HOME", home);
  set("XDG_CONFIG_HOME", home + QStringLiteral("/.config"));
  set("XDG_DATA_HOME", home + QStringLiteral("/.local/share"));
  set("XDG_CACHE_HOME", home + QStringLiteral("/.cache"));
  set("XDG_RUNTIME_DIR", filePath(QStringLiteral("runtime")));
  set("TMPDIR", filePath(QStringLiteral("tmp")));
  set("SIECIOWNIK_MACHINE_ROOT", machineRoot());
}

Sandbox::~Sandbox() {
  for (const auto& [name, old] : saved_) {
    if (old.first) qputenv(name.constData(), old.second);
    else qunsetenv(name.constData());
  }
}

void Sandbox::save(const char* name) {
  if (saved_.find(name) == saved_.end()) saved_[name] = {qEnvironmentVariableIsSet(name), qgetenv(name)};
}

void Sandbox::set(const char* name, const QString& value) {
  save(name);
  qputenv(name, value.toLocal8Bit());
}

void Sandbox::unset(const char* name) {
  save(name);
  qunsetenv(name);
}

}  // namespace testsupport
