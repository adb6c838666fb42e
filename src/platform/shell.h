#pragma once

#include <QString>
#include <QStringList>

namespace platform {

enum class ShowState { Normal, Maximised };

// Hands a web address, a local file or a program name to the desktop and forgets it.
// Never blocks, never reports: a target that cannot be opened simply has no visible effect.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void ShellOpen(const QString& target, const QString& parameters = {},
                         ShowState show = ShowState::Normal) = 0;
};

// What the desktop is asked to run for one ShellOpen: a program and its arguments.
struct ShellCommand {
  QString program;
  QStringList arguments;
  friend bool operator==(const ShellCommand&, const ShellCommand&) = default;
};

// The Linux meaning of "open": a bare program name (no scheme, no folder) is started from PATH
// with the parameters as its one argument; anything else goes to xdg-open.
ShellCommand shellCommandFor(const QString& target, const QString& parameters);

// Whether a program of this name is found on PATH, as ShellOpen would look for it.
bool programInstalled(const QString& name);

class DesktopShell final : public Shell {
 public:
  void ShellOpen(const QString& target, const QString& parameters = {},
                 ShowState show = ShowState::Normal) override;
};

}  // namespace platform
