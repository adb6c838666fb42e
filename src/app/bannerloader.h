#pragma once

#include <QString>

class QObject;
class QUrl;
class QWidget;

namespace platform { class Shell; }

namespace app {

// The entry points of the banner module (bannermodule.cpp). Navigating returns the strip's view.
using NavigateBanner = QObject* (*)(QWidget* bannerStrip, const QUrl& page, platform::Shell& shell);
inline constexpr const char* kNavigateBannerSymbol = "sieciownikNavigateBanner";
using ReleaseBanner = void (*)(QWidget* bannerStrip);
inline constexpr const char* kReleaseBannerSymbol = "sieciownikReleaseBanner";
// The module's cleaning of its engine inside a window (clearBannerHistory, clearBannerCache).
using ClearBanner = bool (*)(QWidget* window);
inline constexpr const char* kClearBannerHistorySymbol = "sieciownikClearBannerHistory";
inline constexpr const char* kClearBannerCacheSymbol = "sieciownikClearBannerCache";

// The web engine behind the banner strip, loaded on the first navigation. Linked into the program
// it would start with it (a third of a second and some 100 MB before the window shows, and for a
// banner that may never answer). A missing module leaves the strip empty, as an unreachable banner
// does.
class BannerLoader {
 public:
  // moduleFile: the banner module, beside the executable or where the program installed it.
  BannerLoader(QString moduleFile, platform::Shell& shell);
  // Shows the page in the strip, starting the engine there first if need be. Returns the strip's
  // view, or none without the module.
  QObject* navigate(QWidget* bannerStrip, const QUrl& page);
  // Ends the engine's page in the strip, so that its memory is given back. Never loads the module.
  void release(QWidget* bannerStrip);
  bool loaded() const { return navigate_ != nullptr; }
  // The privacy cleaner's way into the engine; false while no engine has been started.
  bool clearHistory(QWidget* window) const { return clearHistory_ != nullptr && clearHistory_(window); }
  bool clearCache(QWidget* window) const { return clearCache_ != nullptr && clearCache_(window); }

 private:
  QString moduleFile_;
  platform::Shell& shell_;
  NavigateBanner navigate_ = nullptr;
  ReleaseBanner release_ = nullptr;
  ClearBanner clearHistory_ = nullptr;
  ClearBanner clearCache_ = nullptr;
  bool tried_ = false;
};

// Where the banner module is: beside the executable (a build), or in ../lib/sieciownik (installed).
QString bannerModuleFile(const QString& executableFolder);

}  // namespace app
