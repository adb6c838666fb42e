#include <QtTest>

#include <QWebEnginePage>
#include <QWebEngineView>
#include <unistd.h>

#include "app/bannerloader.h"
#include "support/fakes.h"
#include "support/sandbox.h"
#include "update/testserver.h"

namespace {

// A banner page with every way out a page has: a link, a link to a new window, a script that
// opens a window, a script that moves the page, and links to schemes the desktop must not get.
QByteArray bannerPage(const QString& base) {
  const QStringList lines{
      QStringLiteral("<html><body style='margin:0'>"),
      QStringLiteral("<a id='link' href='%1/producer'>producer</a>"),
      QStringLiteral("<a id='blank' href='%1/offer' target='_blank'>offer</a>"),
      QStringLiteral("<a id='file' href='file:///etc/passwd'>file</a>"),
      QStringLiteral("<button id='popup' onclick=\"window.open('%1/popup')\">popup</button>"),
      QStringLiteral("<script>function moveAway() { location.href = '%1/moved'; }</script>"),
      QStringLiteral("</body></html>"),
  };
  return lines.join(QLatin1Char('\n')).arg(base).toUtf8();
}

// Whether the view shows anything but its white background.
bool drawsSomething(QWidget* view) {
  const QImage image = view->grab().toImage();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) return true;
  return false;
}

}  // namespace

// The banner strip, through the module the program loads, on a page served on 127.0.0.1: whatever
// the page or the user starts in it goes to the desktop's browser, and the strip stays on its page.
class BannerTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    sandbox_ = std::make_unique<testsupport::Sandbox>();
    server_ = std::make_unique<updatetest::TestServer>();
    updatetest::Route page{200, bannerPage(server_->base())};
    page.contentType = "text/html; charset=utf-8";
    server_->route("/siecio/bannery/", page);
    strip_.resize(692, 65);
    strip_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip_));
    loader_ = std::make_unique<app::BannerLoader>(app::bannerModuleFile(QStringLiteral(SIECIOWNIK_BIN_DIR)), shell_);
    loader_->navigate(&strip_, QUrl(server_->base() + QStringLiteral("/siecio/bannery/")));
    QVERIFY(loader_->loaded());
    view_ = strip_.findChild<QWebEngineView*>(QStringLiteral("BannerBrowser"));
    QVERIFY(view_ != nullptr);
    QSignalSpy loaded(view_, &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(20000));
    QCOMPARE(loaded.first().first().toBool(), true);
    QVERIFY(view_->isVisible());
    QCOMPARE(view_->focusPolicy(), Qt::NoFocus);
    // The web engine started late, from its module, and still draws the page: its links are there.
    QTRY_VERIFY_WITH_TIMEOUT(drawsSomething(view_), 10000);
  }
  void cleanupTestCase() {
    delete view_;
    server_.reset();
    sandbox_.reset();
  }

  void waysOutGoToTheDesktop_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("opened");
    QTest::newRow("a link") << "document.getElementById('link').click()" << "/producer";
    QTest::newRow("a link to a new window") << "document.getElementById('blank').click()" << "/offer";
    QTest::newRow("a window the page opens") << "document.getElementById('popup').click()" << "/popup";
    QTest::newRow("the page moving itself") << "moveAway()" << "/moved";
  }
  void waysOutGoToTheDesktop() {
    QFETCH(QString, script);
    QFETCH(QString, opened);
    shell_.calls.clear();
    view_->page()->runJavaScript(script);
    QTRY_COMPARE_WITH_TIMEOUT(int(shell_.calls.size()), 1, 10000);
    QCOMPARE(shell_.calls[0].target, server_->base() + opened);
    QVERIFY(shell_.calls[0].parameters.isEmpty());
    // The strip never went there itself.
    QTest::qWait(300);
    QCOMPARE(view_->url().path(), QStringLiteral("/siecio/bannery/"));
    QVERIFY(!server_->paths.contains(opened.toUtf8()));
    QCOMPARE(int(shell_.calls.size()), 1);
  }

  void otherSchemesGoNowhere() {
    shell_.calls.clear();
    view_->page()->runJavaScript(QStringLiteral("document.getElementById('file').click()"));
    QTest::qWait(1000);
    QVERIFY(shell_.calls.empty());
    QCOMPARE(view_->url().path(), QStringLiteral("/siecio/bannery/"));
  }

  // The timer's reload is the program's own navigation: it stays in the strip.
  void theNextTickReloadsInTheStrip() {
    shell_.calls.clear();
    const qsizetype asked = server_->paths.count("/siecio/bannery/");
    QSignalSpy loaded(view_, &QWebEngineView::loadFinished);
    loader_->navigate(&strip_, view_->url());
    QCOMPARE(strip_.findChildren<QWebEngineView*>().size(), 1);
    QVERIFY(loaded.wait(20000));
    QCOMPARE(server_->paths.count("/siecio/bannery/"), asked + 1);
    QVERIFY(shell_.calls.empty());
  }

 private:
  std::unique_ptr<testsupport::Sandbox> sandbox_;
  std::unique_ptr<updatetest::TestServer> server_;
  std::unique_ptr<app::BannerLoader> loader_;
  testsupport::FakeShell shell_;
  QWidget strip_;
  QWebEngineView* view_ = nullptr;
};

int main(int argc, char** argv) {
  // As the program does: the web engine ends a process that runs it as root with its sandbox on.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication application(argc, argv);
  BannerTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_banner.moc"
