#pragma once

#include <QString>

class QUrl;
class QWidget;

namespace platform { class Shell; }

namespace app {

// The entry point of the banner module (bannermodule.cpp).
using NavigateBanner = void (*)(QWidget* bannerStrip, const QUrl& page, platform::Shell& shell);
inline constexpr const char* kNavigateBannerSymbol = "sieciownikNavigateBanner";
// The module's cleaning of its engine inside a window (clearBannerHistory, clearBannerCache).
using ClearBanner = bool (*)(QWidget* window);
inline constexpr const char* kClearBannerHistorySymbol = "sieciownikClearBannerHistory";
inline constexpr const char* kClearBannerCacheSymbol = "sieciownikClearBannerCache";

// The web engine behind the banner strip, loaded on the first navigation. Linked into the program
// it would start with it (its libraries and an OpenGL context: a third of a second and some 130 MB
// before the window shows). A missing module leaves the strip empty, as an unreachable banner does.
class BannerLoader {
 public:
  // moduleFile: the banner module, beside the executable or where the program installed it.
  BannerLoader(QString moduleFile, platform::Shell& shell);
  void navigate(QWidget* bannerStrip, const QUrl& page);
  bool loaded() const { return navigate_ != nullptr; }
  // The privacy cleaner's way into the engine; false while no engine has been started.
  bool clearHistory(QWidget* window) const { return clearHistory_ != nullptr && clearHistory_(window); }
  bool clearCache(QWidget* window) const { return clearCache_ != nullptr && clearCache_(window); }

 private:
  QString moduleFile_;
  platform::Shell& shell_;
  NavigateBanner navigate_ = nullptr;
  ClearBanner clearHistory_ = nullptr;
  ClearBanner clearCache_ = nullptr;
  bool tried_ = false;
};

// Where the banner module is: beside the executable (a build), or in ../lib/sieciownik (installed).
QString bannerModuleFile(const QString& executableFolder);

}  // namespace app
