#include "bannerengine.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QQuickWindow>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace app {
namespace {

// The engine's flags. A strip 65 pixels high is drawn well enough by the processor: no GPU, so no
// graphics driver is loaded (the engine's GPU work runs in the program's own process anyway, never
// in a process of its own). One page process at most, and no idle zygote kept for helper
// processes that the strip never starts (some 9 MB).
constexpr char kEngineFlags[] = "--disable-gpu --renderer-process-limit=1 --no-unsandboxed-zygote";
// The banner is one small page reloaded every 10 minutes: a small disk cache does.
constexpr qint64 kDiskCacheBytes = 2 * 1024 * 1024;

// Sets an environment variable for as long as the engine starts, and no longer: the programs the
// shell starts later (a browser built on the same engine among them) must not inherit it.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const QByteArray& value)
      : name_(name), hadOld_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
    qputenv(name, value);
  }
  ~ScopedVariable() {
    if (hadOld_) qputenv(name_, old_);
    else qunsetenv(name_);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  bool hadOld_;
  QByteArray old_;
};

// Qt 6.4 describes the engine's start in the log category below, reading the format of an OpenGL
// context that it takes for granted: without one (no GPU, as here) the description crashes.
QLoggingCategory::CategoryFilter previousLogFilter = nullptr;

void withoutEngineStartLog(QLoggingCategory* category) {
  previousLogFilter(category);
  if (qstrcmp(category->categoryName(), "qt.webenginecontext") == 0) {
    category->setEnabled(QtDebugMsg, false);
    category->setEnabled(QtInfoMsg, false);
  }
}

// What the engine reads as it starts, set for that moment only.
class EngineStart {
 public:
  EngineStart()
      : flags_("QTWEBENGINE_CHROMIUM_FLAGS",
               // The user's own flags come last, so that they win.
               qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS")
                   ? QByteArray(kEngineFlags) + ' ' + qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")
                   : QByteArray(kEngineFlags)),
        // Asked whether OpenGL may run on several threads, Qt's X11 integration would open a
        // trial context, and with it the whole graphics driver, for an engine that draws none.
        noGlCheck_("QT_OPENGL_NO_SANITY_CHECK", "1") {
    // The engine's pages are drawn into the window by Qt Quick, without OpenGL too.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // The new filter runs at once, and runs the one it follows: that one is known first.
    previousLogFilter = QLoggingCategory::installFilter(nullptr);
    QLoggingCategory::installFilter(withoutEngineStartLog);
  }
  ~EngineStart() { QLoggingCategory::installFilter(previousLogFilter); }
  EngineStart(const EngineStart&) = delete;
  EngineStart& operator=(const EngineStart&) = delete;

 private:
  ScopedVariable flags_;
  ScopedVariable noGlCheck_;
};

QWebEngineProfile* newProfile(QObject* parent) {
  auto* profile = new QWebEngineProfile(QStringLiteral("Default"), parent);
  profile->setHttpCacheMaximumSize(kDiskCacheBytes);
  // Nothing is looked up or fetched ahead of the banner's own page.
  profile->settings()->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  return profile;
}

}  // namespace

QWebEngineProfile* createBannerProfile(QObject* parent) {
  // The engine starts once in a process, with its first profile, and reads its settings then.
  static bool started = false;
  if (started) return newProfile(parent);
  started = true;
  const EngineStart start;
  return newProfile(parent);
}

}  // namespace app
