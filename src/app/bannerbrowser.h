#pragma once

class QUrl;
class QWebEngineView;
class QWidget;

namespace platform { class Shell; }

namespace app {

// Shows a page in the banner strip and returns the strip's view. The embedded web engine is heavy,
// so its view is created only for a page to show, and released when its page fails to load. The
// strip stays on its page: a link clicked in it, or a window the page opens, goes to the default
// browser through the shell.
QWebEngineView* navigateBannerBrowser(QWidget* bannerStrip, const QUrl& page, platform::Shell& shell);

// Ends the strip's view and its profile, so that the engine ends the page's process and gives
// its memory back. Nothing when the strip has no view.
void releaseBannerBrowser(QWidget* bannerStrip);

// The privacy cleaner's way into the banner's web engine inside `window`: the engine clears its
// visited links and page history, or its HTTP cache, itself, rather than the cleaner deleting files
// the engine has open. False when no engine runs there yet: then the cleaner deletes the files.
bool clearBannerHistory(QWidget* window);
bool clearBannerCache(QWidget* window);

}  // namespace app
