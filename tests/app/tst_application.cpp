#include <QtTest>

#include <stdexcept>

#include "app/application.h"
#include "support/fakes.h"

namespace {

class Thrower final : public QObject {
 public:
  int handled = 0;
  bool event(QEvent* event) override {
    if (event->type() == QEvent::User) {
      ++handled;
      throw std::runtime_error("Nie można odczytać pliku TV.FEED");
    }
    return QObject::event(event);
  }
};

}  // namespace

class ApplicationTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void anEscapedErrorIsReportedAndTheProgramGoesOn() {
    testsupport::FakeMessageBoxes boxes;
    static_cast<app::Application*>(QCoreApplication::instance())->setErrorReport(&boxes);
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    QCOMPARE(thrower.handled, 2);
    QCOMPARE(int(boxes.shown.size()), 2);
    QCOMPARE(boxes.shown[0].kind, testsupport::ShownBox::GeneralError);
    QCOMPARE(boxes.shown[0].text, QStringLiteral("Nie można odczytać pliku TV.FEED"));
    static_cast<app::Application*>(QCoreApplication::instance())->setErrorReport(nullptr);
  }
};

int main(int argc, char** argv) {
  app::Application application(argc, argv);
  ApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
