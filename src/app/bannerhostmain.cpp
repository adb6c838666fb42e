// The banner's web engine in a process of its own, drawing into the program's strip through the
// window system. The program ends this process when the banner's page is gone, and everything the
// engine took (its code, its helper processes, its memory) goes with it; an engine loaded into the
// program could not be unloaded.
//   sieciownik-banner-host STRIP_WINDOW WIDTH HEIGHT
// Commands come on standard input and news goes out on standard output (bannerhostlines.h).
//
// The engine comes from the banner's module, loaded once the application object is made, as in
// the program: linked in, it would have the application make an OpenGL context as it starts, and
// load the graphics driver with it (some 30 MB), for a strip the processor draws.
#include <QApplication>
#include <QSocketNotifier>
#include <QUrl>
#include <QWidget>
#include <QWindow>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <unistd.h>

#include "app/bannerhostlines.h"
#include "app/bannerloader.h"
#include "platform/shell.h"

namespace {

using namespace app::bannerhost;

void tell(const QByteArray& word, const QByteArray& argument) {
  const QByteArray line = word + ' ' + argument + '\n';
  for (qsizetype written = 0; written < line.size();) {
    const ssize_t n = ::write(STDOUT_FILENO, line.constData() + written, size_t(line.size() - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the program is gone; the end of the input follows
    written += n;
  }
}

// The desktop's browser belongs to the program: links leaving the strip are handed over to it.
class ProgramShell final : public platform::Shell {
 public:
  void ShellOpen(const QString& target, const QString&, platform::ShowState) override {
    tell(kOpen, target.toUtf8());
  }
};

// Runs the program's commands as they come, and ends the process when the program closes the
// input (or is gone), or when the engine's view goes after its page failed to load.
class Commands final : public QObject {
  Q_OBJECT
 public:
  Commands(QWidget& strip, app::BannerLoader& engine)
      : strip_(strip), engine_(engine), notifier_(STDIN_FILENO, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, &Commands::read);
  }

 private Q_SLOTS:
  void loadFinished(bool ok) {
    // The strip's own white shows until there is a page to cover it.
    if (ok) strip_.show();
    tell(kLoaded, ok ? "1" : "0");
  }

 private:
  void read() {
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
      notifier_.setEnabled(false);
      // Not quit(): that asks the windows first.
      QCoreApplication::exit(0);
      return;
    }
    pending_.append(chunk, n);
    for (qsizetype end; (end = pending_.indexOf('\n')) >= 0;) {
      const QByteArray line = pending_.left(end);
      pending_.remove(0, end + 1);
      run(line);
    }
  }

  void run(const QByteArray& line) {
    const qsizetype space = line.indexOf(' ');
    const QByteArray word = space < 0 ? line : line.left(space);
    const QList<QByteArray> arguments = line.mid(word.size() + 1).split(' ');
    if (word == kLoad) load(QUrl::fromEncoded(arguments.value(0)));
    else if (word == kSize) strip_.resize(arguments.value(0).toInt(), arguments.value(1).toInt());
    else if (word == kClearHistory) tell(kCleared, engine_.clearHistory(&strip_) ? "1" : "0");
    else if (word == kClearCache) tell(kCleared, engine_.clearCache(&strip_) ? "1" : "0");
  }

  void load(const QUrl& page) {
    QObject* view = engine_.navigate(&strip_, page);
    if (view == nullptr) {
      // No module: nothing can be shown.
      tell(kLoaded, "0");
      QCoreApplication::exit(1);
      return;
    }
    if (view == view_) return;
    view_ = view;
    connect(view, SIGNAL(loadFinished(bool)), this, SLOT(loadFinished(bool)));
    connect(view, &QObject::destroyed, this, [] { QCoreApplication::exit(0); });
  }

  QWidget& strip_;
  app::BannerLoader& engine_;
  QSocketNotifier notifier_;
  QByteArray pending_;
  QObject* view_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  // The web engine ends a process that runs it as root with its sandbox on.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication application(argc, argv);
  const QStringList arguments = QCoreApplication::arguments();
  bool windowOk = false;
  bool widthOk = false;
  bool heightOk = false;
  const WId into = arguments.value(1).toULongLong(&windowOk);
  const int width = arguments.value(2).toInt(&widthOk);
  const int height = arguments.value(3).toInt(&heightOk);
  if (arguments.size() != 4 || !windowOk || !widthOk || !heightOk) {
    std::fprintf(stderr, "usage: sieciownik-banner-host STRIP_WINDOW WIDTH HEIGHT\n");
    return 2;
  }
  const std::unique_ptr<QWindow> program(QWindow::fromWinId(into));
  QWidget strip;
  strip.winId();
  strip.windowHandle()->setParent(program.get());
  strip.setGeometry(0, 0, width, height);
  ProgramShell shell;
  app::BannerLoader engine(app::bannerModuleFile(QCoreApplication::applicationDirPath()), shell);
  Commands commands(strip, engine);
  const int result = QApplication::exec();
  engine.release(&strip);
  return result;
}

#include "bannerhostmain.moc"
