#include "bannerbrowser.h"

#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <algorithm>

#include "app/bannerengine.h"
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
    // Frames of the banner fill themselves.
    if (!isMainFrame && type != NavigationTypeLinkClicked) return true;
    // The program's own loads stay, and so do the server's redirects while they keep to the
    // banner's host; a redirect elsewhere is refused, as a page that does not answer.
    if (type == NavigationTypeTyped || type == NavigationTypeReload) {
      bannerHost_ = url.host();
      return true;
    }
    if (type == NavigationTypeRedirect) return url.host() == bannerHost_;
    // What the user or the page's script starts in the strip goes to the browser.
    openInBrowser(shell_, url);
    return false;
  }

 private:
  platform::Shell& shell_;
  QString bannerHost_;
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
    // The profile is the strip's, so that the privacy cleaner finds it there; it must outlive the
    // page, and goes with the view when the engine is released.
    view->setPage(new BannerPage(createBannerProfile(bannerStrip), shell, view));
    view->setObjectName(QStringLiteral("BannerBrowser"));
    view->setContextMenuPolicy(Qt::NoContextMenu);
    // An advertising strip takes no keyboard focus, neither by Tab nor by a script of its page.
    view->setFocusPolicy(Qt::NoFocus);
    // A strip 65 pixels high cannot show an error page usefully: it stays white until a page
    // loads. A page that fails to load ends the engine's work until the next tick finds one.
    QObject::connect(view->page(), &QWebEnginePage::loadingChanged, view, [view](const QWebEngineLoadingInfo& info) {
      if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) view->setVisible(true);
      if (info.status() != QWebEngineLoadingInfo::LoadFailedStatus) return;
      view->setVisible(false);
      // Not from inside the engine's own signal.
      QTimer::singleShot(0, view, [view] { releaseBannerBrowser(view->parentWidget()); });
    });
    if (bannerStrip->layout() == nullptr) {
      auto* layout = new QVBoxLayout(bannerStrip);
      layout->setContentsMargins(0, 0, 0, 0);
    }
    bannerStrip->layout()->addWidget(view);
  }
  LoadHold::of(view)->load(page);
  return view;
}

void releaseBannerBrowser(QWidget* bannerStrip) {
  auto* view = bannerStrip->findChild<QWebEngineView*>(QStringLiteral("BannerBrowser"));
  if (view == nullptr) return;
  QWebEngineProfile* profile = view->page()->profile();
  delete view;  // and its page, before the profile the page uses
  // With its last page gone the engine ends its page process.
  delete profile;
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
