#pragma once

class QObject;
class QUrl;
class QWidget;

namespace app {

// What runs the banner's web engine for the strip: the engine's module loaded into the program
// (BannerLoader), or a process of its own drawing into the strip (BannerHost).
class BannerBackend {
 public:
  virtual ~BannerBackend() = default;
  // Shows the page in the strip, starting the engine first if need be. Returns an object whose
  // signal loadFinished(bool) tells how the page's load ended, or none when there is no engine.
  virtual QObject* navigate(QWidget* bannerStrip, const QUrl& page) = 0;
  // Ends the engine's page in the strip, so that its memory is given back. Never starts the engine.
  virtual void release(QWidget* bannerStrip) = 0;
  // Whether the engine was ever started.
  virtual bool loaded() const = 0;
  // The privacy cleaner's way into the engine of `window`'s strip: the engine clears its visited
  // links and history, or its HTTP cache, itself. False while no engine runs: then the cleaner
  // deletes the engine's files.
  virtual bool clearHistory(QWidget* window) = 0;
  virtual bool clearCache(QWidget* window) = 0;
};

}  // namespace app
