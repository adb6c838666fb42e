#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <map>

namespace testsupport {

// A fresh folder that stands in for the user's home, the XDG folders, the temporary folder and the
// machine root, so that nothing a test does can reach this machine's real files. The variables are
// restored when the sandbox goes. Throws std::runtime_error, leaving every variable as it was, when
// the folder cannot be made.
class Sandbox {
 public:
  Sandbox();
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  QString path() const { return dir_.path(); }
  QString filePath(const QString& relative) const { return dir_.filePath(relative); }
  QString home() const { return filePath(QStringLiteral("home")); }
  QString machineRoot() const { return filePath(QStringLiteral("root")); }
  // Sets an environment variable until the sandbox goes.
  void set(const char* name, const QString& value);
  void unset(const char* name);

 private:
  void save(const char* name);
  QTemporaryDir dir_;
  std::map<QByteArray, std::pair<bool, QByteArray>> saved_;
};

}  // namespace testsupport
