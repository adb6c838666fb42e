#include <QtTest>

#include <QApplication>
#include <QWebEngineHistory>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <unistd.h>

#include "app/bannerloader.h"
#include "support/fakes.h"
#include "support/pageserver.h"
#include "support/sandbox.h"
#include "privacy/treebuilder.h"

// The privacy cleaner reaches the banner's web engine only through the engine's own calls, which
// the banner module offers once it has started the engine.
class BannerBrowserTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void clearedThroughTheEngineOnceItRuns() {
    testsupport::Sandbox sandbox;
    testsupport::PageServer server;
    QVERIFY(server.listening());
    QWidget window;
    auto* strip = new QWidget(&window);
    window.resize(600, 100);
    window.show();
    testsupport::FakeShell shell;
    app::BannerLoader banner(app::bannerModuleFile(QStringLiteral(SIECIOWNIK_BIN_DIR)), shell);
    // No engine yet: the cleaner is told so and deletes the engine's files itself.
    QVERIFY(!banner.clearHistory(&window));
    QVERIFY(!banner.clearCache(&window));

    banner.navigate(strip, QUrl(server.url("page.html?1")));
    auto* view = strip->findChild<QWebEngineView*>(QStringLiteral("BannerBrowser"));
    QVERIFY(view != nullptr);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    // A page that is still loading is replaced, not kept in the history: wait for it.
    QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 30000);
    QVERIFY(loaded.last().at(0).toBool());
    banner.navigate(strip, QUrl(server.url("page.html?2")));
    QTRY_VERIFY_WITH_TIMEOUT(view->history()->canGoBack(), 30000);

    const QString cache = window.findChild<QWebEngineProfile*>()->cachePath();
    const auto cachedPages = [&] { return treebuilder::contents(cache).filter(QRegularExpression("_0$")); };
    QVERIFY(!cachedPages().isEmpty());

    // Right after a load, while the page's icon may still be on its way.
    QVERIFY(banner.clearHistory(&window));
    QVERIFY(!view->history()->canGoBack());
    QVERIFY(banner.clearCache(&window));
    QTRY_VERIFY_WITH_TIMEOUT(cachedPages().isEmpty(), 15000);
    // The engine keeps working after it was cleared.
    banner.navigate(strip, QUrl(server.url("page.html?3")));
    QTRY_VERIFY_WITH_TIMEOUT(server.served("page.html?3"), 30000);
  }
};

int main(int argc, char** argv) {
  // As the program starts the engine: no sandbox as root.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication application(argc, argv);
  BannerBrowserTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_bannerbrowser.moc"
