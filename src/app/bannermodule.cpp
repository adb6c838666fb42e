// The banner's entry points in their own loadable module: the program loads the web engine only
// when there is a banner page to show.
#include <QUrl>
#include <QWebEngineView>
#include <QWidget>

#include "app/bannerbrowser.h"
#include "app/bannerloader.h"

extern "C" Q_DECL_EXPORT QObject* sieciownikNavigateBanner(QWidget* bannerStrip, const QUrl& page, platform::Shell& shell) {
  return app::navigateBannerBrowser(bannerStrip, page, shell);
}

extern "C" Q_DECL_EXPORT void sieciownikReleaseBanner(QWidget* bannerStrip) { app::releaseBannerBrowser(bannerStrip); }

extern "C" Q_DECL_EXPORT bool sieciownikClearBannerHistory(QWidget* window) { return app::clearBannerHistory(window); }

extern "C" Q_DECL_EXPORT bool sieciownikClearBannerCache(QWidget* window) { return app::clearBannerCache(window); }
