#include "bannerbrowser.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEnginePage>
#include <QWebEngineHistory>
#include <QWebEngineView>

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
            profile->clearHttpCache();
            return true;
          }};
}

}  // namespace app
