#pragma once

class QUrl;
class QWidget;

namespace app {

// Shows a page in the banner strip. The embedded web engine is heavy (about 200 MB and a third of
// a second), so its view is created when the banner first loads, not before the window shows.
void navigateBannerBrowser(QWidget* bannerStrip, const QUrl& page);

}  // namespace app
