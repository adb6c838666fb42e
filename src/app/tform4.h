#pragma once

#include <QDialog>

namespace Ui { class TForm4; }

namespace app {

// The update's progress window: borderless, a label saying what is being fetched, a bar, and
// "Anuluj", whose result is cancel.
class TForm4 final : public QDialog {
  Q_OBJECT
 public:
  explicit TForm4(QWidget* mainWindow);
  ~TForm4() override;

  void setStatus(const QString& text, int percent);

 private:
  Ui::TForm4* ui;
};

}  // namespace app
