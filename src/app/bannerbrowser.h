#pragma once

#include "privacy/privacyctl.h"

class QUrl;
class QWidget;

namespace app {

// Shows a page in the banner strip. The embedded web engine is heavy (about 200 MB and a third of
// a second), so its view is created when the banner first loads, not before the window shows.
void navigateBannerBrowser(QWidget* bannerStrip, const QUrl& page);

// The privacy cleaner's way into the banner's web engine inside `window`: it clears the engine's
// visited links, page history and HTTP cache through the engine while it runs, rather than
// deleting files the engine has open.
privacy::PrivacyCtl::EmbeddedBrowser bannerBrowserCleaning(QWidget* window);

}  // namespace app
