#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "platform/messageboxes.h"
#include "platform/shell.h"

namespace testsupport {

struct ShellCall {
  QString target;
  QString parameters;
  platform::ShowState show;
};

// Records what would have been handed to the desktop.
class FakeShell final : public platform::Shell {
 public:
  void ShellOpen(const QString& target, const QString& parameters, platform::ShowState show) override {
    calls.push_back({target, parameters, show});
  }
  std::vector<ShellCall> calls;
};

struct ShownBox {
  enum Kind { Error, Question, Information, GeneralError } kind;
  QString text;
};

// Records every message box and answers questions from a queue (No when the queue is empty).
class FakeMessageBoxes final : public platform::MessageBoxes {
 public:
  void showError(QWidget*, const QString& text) override { shown.push_back({ShownBox::Error, text}); }
  bool askQuestion(QWidget*, const QString& text) override {
    shown.push_back({ShownBox::Question, text});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void showInformation(QWidget*, const QString& text) override { shown.push_back({ShownBox::Information, text}); }
  void showGeneralError(QWidget*, const QString& text) override { shown.push_back({ShownBox::GeneralError, text}); }

  QStringList texts() const {
    QStringList list;
    for (const ShownBox& box : shown) list << box.text;
    return list;
  }
  std::deque<bool> answers;
  std::vector<ShownBox> shown;
};

}  // namespace testsupport
