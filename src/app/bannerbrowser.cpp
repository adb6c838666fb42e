#include "bannerbrowser.h"

#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>

#include "platform/shell.h"

namespace app {
namespace {

// Only web addresses leave the strip; a banner has no business opening files or other programs.
void openInBrowser(platform::Shell& shell, const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
    shell.ShellOpen(url.toString(QUrl::FullyEncoded));
}

class BannerPage final : public QWebEnginePage {
 public:
  BannerPage(QWebEngineProfile* profile, platform::Shell& shell, QObject* parent)
      : QWebEnginePage(profile, parent), shell_(shell) {
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { openInBrowser(shell_, request.requestedUrl()); });
  }

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    // The program's own loads and the server's redirects stay; frames of the banner fill
    // themselves. What the user or the page's script starts in the strip goes to the browser.
    if (type == NavigationTypeTyped || type == NavigationTypeReload || type == NavigationTypeRedirect) return true;
    if (!isMainFrame && type != NavigationTypeLinkClicked) return true;
    openInBrowser(shell_, url);
    return false;
  }

 private:
  platform::Shell& shell_;
};

// How long the banner must have been quiet before its disk cache is cleared.
constexpr int kSettleMs = 2000;
// Once its disk cache is cleared the engine starts its network anew; a page asked for in that
// moment may never load (seen with Qt 6.4, which tells nobody when the clear is done). So the strip
// asks for no page for this long after a clear.
constexpr int kAfterClearMs = 5000;

// Holds a view's loads for a while after its engine cleared its cache; the last page asked for
// meanwhile loads when the time is up.
class LoadHold final : public QObject {
 public:
  explicit LoadHold(QWebEngineView* view) : QObject(view), view_(view) {
    setObjectName(QStringLiteral("BannerLoadHold"));
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] {
      if (pending_.isValid()) view_->load(pending_);
      pending_.clear();
    });
  }
  static LoadHold* of(QWebEngineView* view) {
    auto* hold = view->findChild<LoadHold*>(QStringLiteral("BannerLoadHold"), Qt::FindDirectChildrenOnly);
    return hold != nullptr ? hold : new LoadHold(view);
  }
  void start() { timer_.start(kAfterClearMs); }
  void load(const QUrl& page) {
    if (timer_.isActive()) pending_ = page;
    else view_->load(page);
  }

 private:
  QWebEngineView* view_;
  QTimer timer_;
  QUrl pending_;
};

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
    for (QWebEngineView* view : views) LoadHold::of(view)->start();
    profile->clearHttpCache();
    quiet->deleteLater();
  });
  quiet->start();
}

}  // namespace

QWebEngineView* navigateBannerBrowser(QWidget* bannerStrip, const QUrl& page, platform::Shell& shell) {
  auto* view = bannerStrip->findChild<QWebEngineView*>(QStringLiteral("BannerBrowser"));
  if (view == nullptr) {
    view = new QWebEngineView(bannerStrip);
    // A persistent profile, so that the browser keeps its history and cache where the privacy
    // cleaner finds them (the web engine's default profile keeps nothing on disk).
    auto* profile = new QWebEngineProfile(QStringLiteral("Default"), bannerStrip);  // outlives the page
    view->setPage(new BannerPage(profile, shell, view));
    view->setObjectName(QStringLiteral("BannerBrowser"));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    // An advertising strip takes no keyboard focus, neither by Tab nor by a script of its page.
    view->setFocusPolicy(Qt::NoFocus);
    // A strip 65 pixels high cannot show an error page usefully: it stays white until a page loads.
    QObject::connect(view, &QWebEngineView::loadFinished, view, [view](bool ok) { view->setVisible(ok); });
    auto* layout = new QVBoxLayout(bannerStrip);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
  }
  LoadHold::of(view)->load(page);
  return view;
}

bool clearBannerHistory(QWidget* window) {
  auto* profile = window->findChild<QWebEngineProfile*>();
  if (profile == nullptr) return false;
  profile->clearAllVisitedLinks();
  for (auto* view : window->findChildren<QWebEngineView*>()) view->history()->clear();
  return true;
}

bool clearBannerCache(QWidget* window) {
  auto* profile = window->findChild<QWebEngineProfile*>();
  if (profile == nullptr) return false;
  clearHttpCacheWhenQuiet(profile, window);
  return true;
}

}  // namespace app
