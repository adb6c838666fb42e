#pragma once

#include <QString>

#include "platform/messageboxes.h"
#include "platform/shell.h"

namespace benchdata {

// The desktop and the message boxes of a benchmark: nothing opens, nothing shows, and every
// question gets the same answer.
class SilentShell final : public platform::Shell {
 public:
  void ShellOpen(const QString&, const QString&, platform::ShowState) override {}
};

class SilentBoxes final : public platform::MessageBoxes {
 public:
  explicit SilentBoxes(bool answer = false) : answer_(answer) {}
  void showError(QWidget*, const QString&) override {}
  bool askQuestion(QWidget*, const QString&) override { return answer_; }
  void showInformation(QWidget*, const QString&) override {}
  void showGeneralError(QWidget*, const QString&) override {}

 private:
  bool answer_;
};

}  // namespace benchdata
