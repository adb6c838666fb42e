#pragma once

class QObject;
class QWebEngineProfile;

namespace app {

// The banner's web profile, on disk where the privacy cleaner finds its history and cache. The
// first one also starts the web engine, set up for one small strip rather than for browsing.
QWebEngineProfile* createBannerProfile(QObject* parent);

}  // namespace app
