#include <QtTest>

#include <QDir>
#include <QTcpServer>
#include <QWidget>
#include <unistd.h>

#include "app/bannerloader.h"
#include "app/bannerschedule.h"
#include "app/bannerstrip.h"
#include "support/fakes.h"
#include "support/processtree.h"
#include "update/testserver.h"

namespace {

const QByteArray kBannerPath = "/siecio/bannery/";

// Whether this process has loaded the web engine, or started any process of its own.
bool engineLoaded() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) return true;
  const QByteArray mapped = maps.readAll();
  return mapped.contains("sieciownik-banner.so") || mapped.contains("libQt6WebEngineCore");
}
bool startedAProcess() { return !testsupport::descendantsOf(QByteArray::number(getpid())).isEmpty(); }

}  // namespace

// A banner page that does not answer with a page costs the program nothing: no web engine is
// loaded, no process started, the strip stays empty. (The strip with a page that answers is
// tst_banner's, on an X server.)
class BannerStripTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void noPageNoEngine_data() {
    QTest::addColumn<QString>("address");  // "SERVER" stands for the test server's base
    QTest::addColumn<int>("requests");
    QTest::addColumn<QByteArray>("environment");  // SIECIOWNIK_BANNER_URL, when not "unset"
    QTest::newRow("a closed port") << "CLOSED" << 0 << QByteArray("unset");
    QTest::newRow("no such page") << "SERVER/gone/" << 1 << QByteArray("unset");
    QTest::newRow("not a web page") << "SERVER/data/" << 1 << QByteArray("unset");
    QTest::newRow("a server that never answers") << "SERVER/silent/" << 1 << QByteArray("unset");
    QTest::newRow("an empty SIECIOWNIK_BANNER_URL") << "" << 0 << QByteArray("");
  }
  void noPageNoEngine() {
    QFETCH(QString, address);
    QFETCH(int, requests);
    QFETCH(QByteArray, environment);
    updatetest::TestServer server;
    server.route("/gone/", updatetest::Route{404, "<html><body>Nie ma</body></html>", 0, -1, false, "text/html"});
    server.route("/data/", updatetest::Route{200, "{}", 0, -1, false, "application/json"});
    server.route("/silent/", updatetest::Route{200, "<html></html>", 60000, -1, false, "text/html"});
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QString closedPort = QStringLiteral("http://127.0.0.1:%1/siecio/bannery/").arg(closed.serverPort());
    closed.close();
    address.replace(QLatin1String("SERVER"), server.base()).replace(QLatin1String("CLOSED"), closedPort);
    if (environment != "unset") qputenv("SIECIOWNIK_BANNER_URL", environment);
    const QUrl page = environment != "unset" ? app::bannerPage() : QUrl(address);
    qunsetenv("SIECIOWNIK_BANNER_URL");

    QWidget strip;
    testsupport::FakeShell shell;
    app::BannerLoader loader(app::bannerModuleFile(QStringLiteral(SIECIOWNIK_BIN_DIR)), shell);
    app::BannerStrip banner(loader, 500);
    banner.load(&strip, page);
    QTRY_VERIFY_WITH_TIMEOUT(!banner.asking(), 5000);
    QCOMPARE(int(server.paths.size()), requests);
    QVERIFY(!loader.loaded());
    QVERIFY(!engineLoaded());
    QVERIFY(!startedAProcess());
    QVERIFY(strip.children().isEmpty());
  }
};

QTEST_MAIN(BannerStripTest)

#include "tst_bannerstrip.moc"
