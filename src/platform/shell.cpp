#include "shell.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace platform {

ShellCommand shellCommandFor(const QString& target, const QString& parameters) {
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
  const bool isProgramName = !target.isEmpty() && !target.contains(QLatin1Char('/')) && !scheme.match(target).hasMatch();
  if (isProgramName) {
    ShellCommand command{target, {}};
    if (!parameters.isEmpty()) command.arguments << parameters;
    return command;
  }
  return ShellCommand{QStringLiteral("xdg-open"), {target}};
}

bool programInstalled(const QString& name) { return !QStandardPaths::findExecutable(name).isEmpty(); }

void DesktopShell::ShellOpen(const QString& target, const QString& parameters, ShowState) {
  if (target.isEmpty()) return;
  const ShellCommand command = shellCommandFor(target, parameters);
  // Detached: the opened program lives on its own; a failure to start is silent by design.
  QProcess::startDetached(command.program, command.arguments);
}

}  // namespace platform
