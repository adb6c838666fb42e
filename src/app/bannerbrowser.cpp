#include "bannerbrowser.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

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
  view->load(page);
  return view;
}

}  // namespace app
