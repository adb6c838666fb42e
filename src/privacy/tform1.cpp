#include "tform1.h"

#include <QCloseEvent>

#include "ui_tform1.h"

namespace privacy {

TForm1::TForm1(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::TForm1), mainWindow_(mainWindow) {
  ui->setupUi(this);
  setFixedSize(237, 56);
}

TForm1::~TForm1() { delete ui; }

void TForm1::ShowStatus(const QString& status) {
  if (!isVisible()) {
    move(mainWindow_->frameGeometry().center() - rect().center());
    show();
  }
  ui->Panel1->setText(status);
}

QString TForm1::Status() const { return ui->Panel1->text(); }

void TForm1::FormCloseQuery(bool& canClose) { canClose = false; }

void TForm1::closeEvent(QCloseEvent* event) {
  bool canClose = true;
  FormCloseQuery(canClose);
  if (!canClose) event->ignore();
}

}  // namespace privacy

#include "moc_tform1.cpp"
