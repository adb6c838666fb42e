// The banner's entry point in its own loadable module: the program loads the web engine only when
// the banner first loads, so that the main window is on screen first.
#include <QUrl>
#include <QWidget>

#include "app/bannerbrowser.h"
#include "app/bannerloader.h"

// The web engine's own start-up (its shared OpenGL context among other things), exported by its
// core library. Linked into a program it runs as the application starts; loaded later, as here,
// it has to be run before the first view.
namespace QtWebEngineCore {
void initialize();
}

extern "C" Q_DECL_EXPORT void sieciownikNavigateBanner(QWidget* bannerStrip, const QUrl& page, platform::Shell& shell) {
  static const bool started = [] {
    QtWebEngineCore::initialize();
    return true;
  }();
  Q_UNUSED(started);
  app::navigateBannerBrowser(bannerStrip, page, shell);
}

extern "C" Q_DECL_EXPORT bool sieciownikClearBannerHistory(QWidget* window) { return app::clearBannerHistory(window); }

extern "C" Q_DECL_EXPORT bool sieciownikClearBannerCache(QWidget* window) { return app::clearBannerCache(window); }
