#include <QtTest>

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <unistd.h>

#include "app/bannerloader.h"
#include "app/bannerstrip.h"
#include "support/fakes.h"
#include "support/processtree.h"
#include "support/sandbox.h"
#include "update/testserver.h"

namespace {

const QByteArray kBannerPath = "/siecio/bannery/";

// A banner page with every way out a page has: a link, a link to another host, a link to a new
// window, a script that opens a window, a script that moves the page, and links to schemes the
// desktop must not get. "localhost" is this machine under another host name.
QByteArray bannerPage(const QString& base, quint16 port) {
  const QStringList lines{
      QStringLiteral("<html><body style='margin:0'>"),
      QStringLiteral("<a id='link' href='%1/producer'>producer</a>"),
      QStringLiteral("<a id='elsewhere' href='http://localhost:%2/elsewhere'>elsewhere</a>"),
      QStringLiteral("<a id='blank' href='%1/offer' target='_blank'>offer</a>"),
      QStringLiteral("<a id='file' href='file:///etc/passwd'>file</a>"),
      QStringLiteral("<button id='popup' onclick=\"window.open('%1/popup')\">popup</button>"),
      QStringLiteral("<script>function moveAway() { location.href = '%1/moved'; }</script>"),
      QStringLiteral("</body></html>"),
  };
  return lines.join(QLatin1Char('\n')).arg(base).arg(port).toUtf8();
}

updatetest::Route htmlRoute(int status, QByteArray body) {
  updatetest::Route route{status, std::move(body)};
  route.contentType = "text/html; charset=utf-8";
  return route;
}

// Whether the view shows anything but its white background.
bool drawsSomething(QWidget* view) {
  const QImage image = view->grab().toImage();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) return true;
  return false;
}

// The web engine's page processes: those its zygotes (this process's children) started. Forked
// from a zygote, they carry its command line.
int pageProcesses() {
  const QHash<QByteArray, QByteArray> parents = testsupport::parentsOfAll();
  const QByteArray self = QByteArray::number(getpid());
  int count = 0;
  for (auto it = parents.cbegin(); it != parents.cend(); ++it)
    if (parents.value(it.value()) == self) ++count;
  return count;
}

}  // namespace

// The banner strip on a page served on 127.0.0.1, the web engine started from its module: whatever
// the page or the user starts in it goes to the desktop's browser, the strip stays on its page, and
// the engine goes when the page does.
class BannerTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    sandbox_ = std::make_unique<testsupport::Sandbox>();
    server_ = std::make_unique<updatetest::TestServer>();
    server_->route(kBannerPath, htmlRoute(200, bannerPage(server_->base(), server_->port())));
    page_ = QUrl(server_->base() + QString::fromLatin1(kBannerPath));
    strip_.resize(692, 65);
    strip_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&strip_));
    loader_ = std::make_unique<app::BannerLoader>(app::bannerModuleFile(QStringLiteral(SIECIOWNIK_BIN_DIR)), shell_);
    banner_ = std::make_unique<app::BannerStrip>(*loader_);
    QSignalSpy shown(banner_.get(), &app::BannerStrip::shown);
    banner_->load(&strip_, page_);
    QVERIFY(shown.wait(20000));
    QVERIFY(view()->isVisible());
    QCOMPARE(view()->focusPolicy(), Qt::NoFocus);
    // The program asked first, and the engine came for the page only then.
    QCOMPARE(server_->paths.mid(0, 2), (QList<QByteArray>{kBannerPath, kBannerPath}));
    QVERIFY(!server_->userAgents[0].contains("QtWebEngine"));
    QVERIFY(server_->userAgents[1].contains("QtWebEngine"));
    // The web engine started late, from its module, without a GPU, and still draws the page.
    QTRY_VERIFY_WITH_TIMEOUT(drawsSomething(view()), 10000);
    QCOMPARE(pageProcesses(), 1);
  }
  void cleanupTestCase() {
    loader_->release(&strip_);
    server_.reset();
    sandbox_.reset();
  }

  void waysOutGoToTheDesktop_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("opened");  // "SERVER" and "PORT" stand for the test server's
    QTest::newRow("a link") << "document.getElementById('link').click()" << "SERVER/producer";
    QTest::newRow("a link to another host") << "document.getElementById('elsewhere').click()"
                                            << "http://localhost:PORT/elsewhere";
    QTest::newRow("a link to a new window") << "document.getElementById('blank').click()" << "SERVER/offer";
    QTest::newRow("a window the page opens") << "document.getElementById('popup').click()" << "SERVER/popup";
    QTest::newRow("the page moving itself") << "moveAway()" << "SERVER/moved";
  }
  void waysOutGoToTheDesktop() {
    QFETCH(QString, script);
    QFETCH(QString, opened);
    opened.replace(QLatin1String("SERVER"), server_->base()).replace(QLatin1String("PORT"), QString::number(server_->port()));
    shell_.calls.clear();
    view()->page()->runJavaScript(script);
    QTRY_COMPARE_WITH_TIMEOUT(int(shell_.calls.size()), 1, 10000);
    QCOMPARE(shell_.calls[0].target, opened);
    QVERIFY(shell_.calls[0].parameters.isEmpty());
    // The strip never went there itself.
    QTest::qWait(300);
    QCOMPARE(view()->url().path(), QString::fromLatin1(kBannerPath));
    QVERIFY(!server_->paths.contains(QUrl(opened).path().toUtf8()));
    QCOMPARE(int(shell_.calls.size()), 1);
  }

  void otherSchemesGoNowhere() {
    shell_.calls.clear();
    view()->page()->runJavaScript(QStringLiteral("document.getElementById('file').click()"));
    QTest::qWait(1000);
    QVERIFY(shell_.calls.empty());
    QCOMPARE(view()->url().path(), QString::fromLatin1(kBannerPath));
  }

  // The timer's reload is the program's own navigation: asked first, then shown in the same strip.
  void theNextTickReloadsInTheStrip() {
    shell_.calls.clear();
    const qsizetype asked = server_->paths.count(kBannerPath);
    QWebEngineView* before = view();
    QSignalSpy shown(banner_.get(), &app::BannerStrip::shown);
    banner_->load(&strip_, page_);
    QVERIFY(shown.wait(20000));
    QCOMPARE(view(), before);
    QCOMPARE(server_->paths.count(kBannerPath), asked + 2);
    QVERIFY(shell_.calls.empty());
  }

  // A page gone at a later tick, the machine offline at one, or a load of the engine's own that
  // fails: the engine's view, profile and page process go, and come back with the page.
  void theEngineGoesWithThePage() {
    const auto released = [this] {
      return strip_.findChild<QWebEngineView*>() == nullptr && strip_.findChild<QWebEngineProfile*>() == nullptr &&
             pageProcesses() == 0;
    };
    QSignalSpy shown(banner_.get(), &app::BannerStrip::shown);
    server_->route(kBannerPath, htmlRoute(404, "<html><body>Nie ma</body></html>"));
    banner_->load(&strip_, page_);
    QTRY_VERIFY_WITH_TIMEOUT(released(), 20000);

    server_->route(kBannerPath, htmlRoute(200, bannerPage(server_->base(), server_->port())));
    banner_->load(&strip_, page_);
    QVERIFY(shown.wait(20000));
    QCOMPARE(pageProcesses(), 1);
    banner_->load(&strip_, QUrl());  // offline
    QTRY_VERIFY_WITH_TIMEOUT(released(), 20000);

    banner_->load(&strip_, page_);
    QVERIFY(shown.wait(20000));
    loader_->navigate(&strip_, QUrl(server_->base() + QStringLiteral("/missing")));
    QTRY_VERIFY_WITH_TIMEOUT(released(), 20000);
    QCOMPARE(shown.size(), 2);
  }

 private:
  QWebEngineView* view() { return strip_.findChild<QWebEngineView*>(QStringLiteral("BannerBrowser")); }

  std::unique_ptr<testsupport::Sandbox> sandbox_;
  std::unique_ptr<updatetest::TestServer> server_;
  std::unique_ptr<app::BannerLoader> loader_;
  std::unique_ptr<app::BannerStrip> banner_;
  testsupport::FakeShell shell_;
  QWidget strip_;
  QUrl page_;
};

int main(int argc, char** argv) {
  // As the program does: the web engine ends a process that runs it as root with its sandbox on.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication application(argc, argv);
  BannerTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_banner.moc"
