#include "tform4.h"

#include "ui_tform4.h"

namespace app {

TForm4::TForm4(QWidget* mainWindow) : QDialog(mainWindow, Qt::Dialog | Qt::FramelessWindowHint), ui(new Ui::TForm4) {
  ui->setupUi(this);
  setFixedSize(270, 110);
}

TForm4::~TForm4() { delete ui; }

void TForm4::setStatus(const QString& text, int percent) {
  ui->Label1->setText(text);
  ui->ProgressBar1->setValue(percent);
}

}  // namespace app

#include "moc_tform4.cpp"
