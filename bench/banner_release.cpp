// What the banner costs while shown, and what stays once its page is gone: the proportional set
// size (PSS) of this process and every process it started, before the banner, with the banner shown
// from a page on 127.0.0.1, and after a later tick finds the page gone. Both ways of running the
// engine: in a process of its own (X11) and loaded into the program (elsewhere).
//   xvfb-run -a bench/bench_banner_release   (from build-bench)
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "app/bannerhost.h"
#include "app/bannerloader.h"
#include "app/bannerstrip.h"
#include "platform/shell.h"
#include "tests/support/processtree.h"
#include "tests/update/testserver.h"

namespace {

class NoShell final : public platform::Shell {
 public:
  void ShellOpen(const QString&, const QString&, platform::ShowState) override {}
};

double treePssMiB() {
  QList<QByteArray> tree = testsupport::descendantsOf(QByteArray::number(getpid()));
  tree.prepend(QByteArray::number(getpid()));
  qint64 kb = 0;
  for (const QByteArray& pid : tree) {
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(QString::fromLatin1(pid)));
    if (!rollup.open(QIODevice::ReadOnly)) continue;
    for (const QByteArray& line : rollup.readAll().split('\n'))
      if (line.startsWith("Pss:")) kb += line.mid(4).trimmed().split(' ').value(0).toLongLong();
  }
  return double(kb) / 1024;
}

// Runs events until `signal` of `sender` comes or the time is up; whether it came.
template <class Sender, class Signal>
bool waitFor(Sender* sender, Signal signal, int ms) {
  QEventLoop loop;
  bool came = false;
  QObject::connect(sender, signal, &loop, [&] {
    came = true;
    loop.quit();
  });
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
  return came;
}

// Lets the processes settle before each reading.
double settledPssMiB() {
  QTimer settle;
  settle.setSingleShot(true);
  settle.start(3000);
  waitFor(&settle, &QTimer::timeout, 4000);
  return treePssMiB();
}

void measure(const char* name, app::BannerBackend& backend, updatetest::TestServer& server, QWidget& strip) {
  const QByteArray path = "/siecio/bannery/";
  updatetest::Route page{200, "<html><body style='margin:0'><b>Sieciownik</b> - banner</body></html>"};
  page.contentType = "text/html";
  server.route(path, page);
  app::BannerStrip banner(backend);
  const double before = settledPssMiB();
  banner.load(&strip, QUrl(server.base() + QString::fromLatin1(path)));
  if (!waitFor(&banner, &app::BannerStrip::shown, 30000)) {
    std::printf("%s: the banner did not show\n", name);
    return;
  }
  const double showing = settledPssMiB();
  server.route(path, updatetest::Route{404, "gone", 0, -1, false, "text/html"});
  banner.load(&strip, QUrl(server.base() + QString::fromLatin1(path)));
  const double gone = settledPssMiB();
  std::printf("%-26s before %6.1f MiB, shown %6.1f MiB, page gone %6.1f MiB (%.0f%% of the banner's cost back)\n",
              name, before, showing, gone, 100 * (showing - gone) / (showing - before));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication application(argc, argv);
  const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
  updatetest::TestServer server;
  NoShell shell;
  QWidget strip;
  strip.resize(692, 65);
  strip.show();
  // The engine's own process first: the engine loaded into this one stays until the end.
  app::BannerHost host(app::bannerHostProgram(folder), shell);
  measure("own process (X11)", host, server, strip);
  app::BannerLoader loader(app::bannerModuleFile(folder), shell);
  measure("loaded into the program", loader, server, strip);
  return 0;
}
