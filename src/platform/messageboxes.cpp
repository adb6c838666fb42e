#include "messageboxes.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

QString defaultErrorTitle() { return QStringLiteral("Błąd"); }

void QtMessageBoxes::showError(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, defaultErrorTitle(), text, QMessageBox::Ok);
}

bool QtMessageBoxes::askQuestion(QWidget* parent, const QString& text) {
  return QMessageBox::question(parent, QStringLiteral("Pytanie"), text, QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

void QtMessageBoxes::showInformation(QWidget* parent, const QString& text) {
  QMessageBox::information(parent, QStringLiteral("Informacja"), text, QMessageBox::Ok);
}

void QtMessageBoxes::showGeneralError(QWidget* parent, const QString& text) {
  QMessageBox::critical(parent, QApplication::applicationName(), text, QMessageBox::Ok);
}

}  // namespace platform
