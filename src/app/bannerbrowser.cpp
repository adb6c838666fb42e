#include "bannerbrowser.h"

#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEnginePage>
#include <QWebEngineHistory>
#include <QWebEngineView>
#include <algorithm>

namespace app {

void navigateBannerBrowser(QWidget* bannerStrip, const QUrl& page) {
  auto* view = bannerStrip->findChild<QWebEngineView*>(QStringLiteral("BannerBrowser"));
  if (view == nullptr) {
    view = new QWebEngineView(bannerStrip);
    // A persistent profile, so that the browser keeps its history and cache where the privacy
    // cleaner finds them (the web engine's default profile keeps nothing on disk).
    auto* profile = new QWebEngineProfile(QStringLiteral("Default"), bannerStrip);  // outlives the page
    view->setPage(new QWebEnginePage(profile, view));
    view->setObjectName(QStringLiteral("BannerBrowser"));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    // A strip 65 pixels high cannot show an error page usefully: it stays white until a page loads.
    QObject::connect(view, &QWebEngineView::loadFinished, view, [view](bool ok) { view->setVisible(ok); });
    auto* layout = new QVBoxLayout(bannerStrip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
  }
  view->load(page);
}

namespace {

// How long the banner must have been quiet before its disk cache is cleared.
constexpr int kSettleMs = 2000;

// Clearing the engine's disk cache while requests are in flight (the icon fetched right after a
// page loads, say) leaves every later load hanging, and the engine's shutdown with it (seen with
// Qt 6.4). So the clear waits until no page of the banner has started or finished loading for a
// moment.
void clearHttpCacheWhenQuiet(QWebEngineProfile* profile, QWidget* window) {
  auto* quiet = new QTimer(profile);
  quiet->setSingleShot(true);
  quiet->setInterval(kSettleMs);
  const QList<QWebEngineView*> views = window->findChildren<QWebEngineView*>();
  for (QWebEngineView* view : views)
    QObject::connect(view->page(), &QWebEnginePage::loadingChanged, quiet, [quiet] { quiet->start(); });
  QObject::connect(quiet, &QTimer::timeout, profile, [profile, quiet, views] {
    if (std::any_of(views.begin(), views.end(), [](QWebEngineView* view) { return view->page()->isLoading(); })) {
      quiet->start();
      return;
    }
    profile->clearHttpCache();
    quiet->deleteLater();
  });
  quiet->start();
}

}  // namespace

privacy::PrivacyCtl::EmbeddedBrowser bannerBrowserCleaning(QWidget* window) {
  return {[window] {
            auto* profile = window->findChild<QWebEngineProfile*>();
            if (profile == nullptr) return false;
            profile->clearAllVisitedLinks();
            for (auto* view : window->findChildren<QWebEngineView*>()) view->history()->clear();
            return true;
          },
          [window] {
            auto* profile = window->findChild<QWebEngineProfile*>();
            if (profile == nullptr) return false;
            clearHttpCacheWhenQuiet(profile, window);
            return true;
          }};
}

}  // namespace app
