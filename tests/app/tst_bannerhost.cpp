#include <QtTest>

#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <unistd.h>

#include "app/bannerhost.h"
#include "app/bannerloader.h"
#include "app/bannerstrip.h"
#include "support/fakes.h"
#include "support/processtree.h"
#include "support/sandbox.h"
#include "update/testserver.h"

namespace {

const QByteArray kBannerPath = "/siecio/bannery/";
const QByteArray kLeavingPath = "/siecio/odchodzi/";

updatetest::Route htmlRoute(int status, const QString& body) {
  updatetest::Route route{status, body.toUtf8()};
  route.contentType = "text/html; charset=utf-8";
  return route;
}

// A dark page, which the strip shows where it would show its own white.
const QString kDarkPage = QStringLiteral("<html><body style='margin:0;background:#000'>Sieciownik</body></html>");

// The processes this one started, and theirs.
int descendants() { return int(testsupport::descendantsOf(QByteArray::number(getpid())).size()); }

// Whether the strip shows the dark page, as the screen has it (the engine's window is another
// program's, so only the screen holds the two together).
bool stripIsDark(QWidget& strip) {
  const QPoint at = strip.mapToGlobal(QPoint(0, 0));
  const QImage image = strip.screen()->grabWindow(0, at.x(), at.y(), strip.width(), strip.height()).toImage();
  return !image.isNull() && qGray(image.pixel(image.width() / 2, image.height() / 2)) < 64;
}

}  // namespace

// The banner's engine in a process of its own, drawing into the strip of this one: shown, links
// handed to the desktop, cleaned on request, and ended, all of it, when its page goes.
class BannerHostTest : public QObject {
  Q_OBJECT
 private Q_SLOTS:
  void initTestCase() {
    sandbox_ = std::make_unique<testsupport::Sandbox>();
    server_ = std::make_unique<updatetest::TestServer>();
    server_->route(kBannerPath, htmlRoute(200, kDarkPage));
    server_->route(kLeavingPath,
                   htmlRoute(200, QStringLiteral("<html><body><script>setTimeout(() => location.href = '%1/moved', 200)"
                                                 "</script></body></html>")
                                      .arg(server_->base())));
    page_ = QUrl(server_->base() + QString::fromLatin1(kBannerPath));
    // Away from the screen's corner, where a window of the engine's own would show unembedded.
    window_.setGeometry(150, 120, 700, 200);
    strip_ = new QWidget(&window_);
    strip_->setGeometry(4, 4, 692, 65);
    window_.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window_));
    host_ = std::make_unique<app::BannerHost>(app::bannerHostProgram(QStringLiteral(SIECIOWNIK_BIN_DIR)), shell_);
    banner_ = std::make_unique<app::BannerStrip>(*host_);
  }
  void cleanupTestCase() {
    banner_.reset();
    host_.reset();
    // The engine's process and its helpers end with the program's banner.
    QCOMPARE(descendants(), 0);
    server_.reset();
    sandbox_.reset();
  }

  void showsThePageInTheStrip() {
    QVERIFY(!host_->clearHistory(&window_));  // no engine yet: the cleaner deletes its files itself
    QSignalSpy shown(banner_.get(), &app::BannerStrip::shown);
    banner_->load(strip_, page_);
    QVERIFY(shown.wait(30000));
    QVERIFY(host_->process() != nullptr);
    // The program asked first, and the engine came for the page only then.
    QCOMPARE(server_->paths.mid(0, 2), (QList<QByteArray>{kBannerPath, kBannerPath}));
    QVERIFY(server_->userAgents[1].contains("QtWebEngine"));
    QTRY_VERIFY_WITH_TIMEOUT(stripIsDark(*strip_), 10000);
    // This process never loaded the engine.
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("libQt6WebEngineCore"));
  }

  void theEngineCleansItselfWhileItRuns() {
    QVERIFY(host_->clearHistory(&window_));
    QVERIFY(host_->clearCache(&window_));
  }

  void aPageLeavingTheStripGoesToTheDesktop() {
    shell_.calls.clear();
    banner_->load(strip_, QUrl(server_->base() + QString::fromLatin1(kLeavingPath)));
    QTRY_COMPARE_WITH_TIMEOUT(int(shell_.calls.size()), 1, 20000);
    QCOMPARE(shell_.calls[0].target, server_->base() + QStringLiteral("/moved"));
    QVERIFY(!server_->paths.contains("/moved"));
  }

  // A page gone at a later tick, or the machine offline at one: the engine's process and its
  // helpers end, the strip shows its own white again, and the engine comes back with the page.
  void theEngineEndsWithItsPage() {
    const auto ended = [this] { return host_->process() == nullptr && descendants() == 0 && !stripIsDark(*strip_); };
    server_->route(kBannerPath, htmlRoute(404, QStringLiteral("<html><body>Nie ma</body></html>")));
    banner_->load(strip_, page_);
    QTRY_VERIFY_WITH_TIMEOUT(ended(), 20000);
    QVERIFY(!host_->clearCache(&window_));

    server_->route(kBannerPath, htmlRoute(200, kDarkPage));
    QSignalSpy shown(banner_.get(), &app::BannerStrip::shown);
    banner_->load(strip_, page_);
    QVERIFY(shown.wait(30000));
    QTRY_VERIFY_WITH_TIMEOUT(stripIsDark(*strip_), 10000);
    banner_->load(strip_, QUrl());  // offline
    QTRY_VERIFY_WITH_TIMEOUT(ended(), 20000);

    // A page that answers the program but fails the engine's own load.
    banner_->load(strip_, page_);
    QVERIFY(shown.wait(30000));
    host_->navigate(strip_, QUrl(server_->base() + QStringLiteral("/missing")));
    QTRY_VERIFY_WITH_TIMEOUT(ended(), 20000);
  }

 private:
  std::unique_ptr<testsupport::Sandbox> sandbox_;
  std::unique_ptr<updatetest::TestServer> server_;
  std::unique_ptr<app::BannerHost> host_;
  std::unique_ptr<app::BannerStrip> banner_;
  testsupport::FakeShell shell_;
  QWidget window_;
  QWidget* strip_ = nullptr;
  QUrl page_;
};

int main(int argc, char** argv) {
  // As the program does: the web engine ends a process that runs it as root with its sandbox on.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication application(argc, argv);
  BannerHostTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_bannerhost.moc"
