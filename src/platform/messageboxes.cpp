#include "messageboxes.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {

// Station names, file names and server answers go into these boxes: shown as written, never read
// as markup.
QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, title, text, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

QString defaultErrorTitle() { return QStringLiteral("Błąd"); }

void QtMessageBoxes::showError(QWidget* parent, const QString& text) {
  ask(parent, QMessageBox::Critical, defaultErrorTitle(), text, QMessageBox::Ok, QMessageBox::Ok);
}

// Yes is the default, as in the platform's Yes/No box: Enter answers "Tak".
bool QtMessageBoxes::askQuestion(QWidget* parent, const QString& text) {
  return ask(parent, QMessageBox::Question, QStringLiteral("Pytanie"), text, QMessageBox::Yes | QMessageBox::No,
             QMessageBox::Yes) == QMessageBox::Yes;
}

void QtMessageBoxes::showInformation(QWidget* parent, const QString& text) {
  ask(parent, QMessageBox::Information, QStringLiteral("Informacja"), text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::showGeneralError(QWidget* parent, const QString& text) {
  ask(parent, QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace platform
