// A second start in the same desktop session brings the running window to the front and ends;
// without a session bus it runs beside the first. Run on a session bus of its own
// (dbus-run-session), with the program itself as the later start.

#include <QDBusConnection>
#include <QProcess>
#include <QWidget>
#include <QtTest>

#include "app/singleinstance.h"
#include "catalogue/feedfile.h"
#include "support/sandbox.h"

namespace {

// The program copied into the sandbox, so that it keeps its catalogues there and has no banner
// module to load.
QString installProgram(const testsupport::Sandbox& sandbox) {
  const QString folder = sandbox.filePath(QStringLiteral("program"));
  QDir().mkpath(folder);
  const QString program = folder + QStringLiteral("/sieciownik");
  if (!QFile::copy(QStringLiteral(SIECIOWNIK_PROGRAM), program)) return {};
  QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  catalogue::saveTvFeed(folder + QLatin1Char('/') + catalogue::kTvFeedName, {});
  catalogue::saveRadioFeed(folder + QLatin1Char('/') + catalogue::kRadioFeedName, {});
  return program;
}

void stop(QProcess& process) {
  process.terminate();
  if (!process.waitForFinished(10000)) process.kill();
  process.waitForFinished(10000);
}

}  // namespace

class SingleInstanceTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() { QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session"); }

  void aSecondStartBringsTheRunningWindowForward() {
    testsupport::Sandbox sandbox;
    const QString program = installProgram(sandbox);
    QVERIFY(!program.isEmpty());
    app::SingleInstance running;
    QVERIFY(running.claim());
    QWidget window;
    app::raiseOnActivation(running, &window);
    window.showMinimized();
    QProcess second;
    second.start(program);
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(window.isVisible());
    QVERIFY(!(window.windowState() & Qt::WindowMinimized));
    QTRY_VERIFY(window.isActiveWindow());
    QDBusConnection::sessionBus().unregisterService(app::instanceBusName());
  }

  void withoutASessionBusEachStartRuns() {
    testsupport::Sandbox sandbox;
    sandbox.unset("DBUS_SESSION_BUS_ADDRESS");
    const QString program = installProgram(sandbox);
    QVERIFY(!program.isEmpty());
    QProcess first;
    first.start(program);
    QVERIFY(first.waitForStarted());
    QProcess second;
    second.start(program);
    QVERIFY(second.waitForStarted());
    // A hand-over would end the second start within moments.
    QVERIFY(!second.waitForFinished(5000));
    QCOMPARE(first.state(), QProcess::Running);
    stop(second);
    stop(first);
  }
};

QTEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
