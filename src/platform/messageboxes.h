#pragma once

#include <QString>

class QWidget;

namespace platform {

// The program's three message box styles, plus the general error report, behind one seam so
// that tests can answer them.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Error icon, OK, no title of its own (the platform's default error title).
  virtual void showError(QWidget* parent, const QString& text) = 0;
  // Title "Pytanie", question icon, Yes and No. True for Yes.
  virtual bool askQuestion(QWidget* parent, const QString& text) = 0;
  // Title "Informacja", information icon, OK.
  virtual void showInformation(QWidget* parent, const QString& text) = 0;
  // The application's general error report: the error's text, the application title, error icon.
  virtual void showGeneralError(QWidget* parent, const QString& text) = 0;
};

// The default title of an error box that has none of its own.
QString defaultErrorTitle();

class QtMessageBoxes final : public MessageBoxes {
 public:
  void showError(QWidget* parent, const QString& text) override;
  bool askQuestion(QWidget* parent, const QString& text) override;
  void showInformation(QWidget* parent, const QString& text) override;
  void showGeneralError(QWidget* parent, const QString& text) override;
};

}  // namespace platform
