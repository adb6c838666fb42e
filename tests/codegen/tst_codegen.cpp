// moc reads a class with the compiler's predefined macros, as the compiler does: a signal declared
// for this platform only gets its meta-object code too. Without those macros it is left out
// silently, and connecting to it by name fails.
#include <QtTest>

namespace {

class PlatformSignals final : public QObject {
  Q_OBJECT

 Q_SIGNALS:
#ifdef Q_OS_LINUX
  void linuxOnly(int value);
#endif
};

}  // namespace

class CodegenTest final : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void signalDeclaredForLinuxConnects() {
    PlatformSignals sender;
    QSignalSpy spy(&sender, SIGNAL(linuxOnly(int)));
    QVERIFY(spy.isValid());
    QVERIFY(QMetaObject::invokeMethod(&sender, "linuxOnly", Q_ARG(int, 7)));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), 7);
  }
};

QTEST_GUILESS_MAIN(CodegenTest)
#include "tst_codegen.moc"
