#pragma once

#include <QWidget>

namespace Ui { class TForm1; }

namespace privacy {

// The busy note of a cleaning run: a small borderless window that shows the step that is running.
// The user cannot close it; only the run shows and hides it. It is not modal.
class TForm1 final : public QWidget {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* mainWindow);
  ~TForm1() override;

  // Shows the note (if it is not shown yet) at the centre of the main window, with this text.
  void ShowStatus(const QString& status);
  QString Status() const;

  void FormCloseQuery(bool& canClose);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  Ui::TForm1* ui;
  QWidget* mainWindow_;
};

}  // namespace privacy
