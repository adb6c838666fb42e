#include "sandbox.h"

#include <QDir>

namespace testsupport {

Sandbox::Sandbox() {
  if (!dir_.isValid()) return;
  const QString home = this->home();
  for (const QString& sub : {QStringLiteral("home/.config"), QStringLiteral("home/.local/share"),
                             QStringLiteral("home/.cache"), QStringLiteral("tmp"), QStringLiteral("root"),
                             QStringLiteral("runtime")})
    QDir(dir_.path()).mkpath(sub);
  QFile::setPermissions(filePath(QStringLiteral("runtime")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
