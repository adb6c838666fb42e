#pragma once

#include <QString>

#include "app/bannerbackend.h"

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

// The web engine behind the banner strip, loaded into the program on the first navigation: where
// the strip cannot hold another process's window (Wayland), and for the engine's own process.
// Linked into the program it would start with it (a third of a second and some 100 MB before the
// window shows, and for a banner that may never answer). A missing module leaves the strip empty,
// as an unreachable banner does.
class BannerLoader final : public BannerBackend {
 public:
  // moduleFile: the banner module, beside the executable or where the program installed it.
  BannerLoader(QString moduleFile, platform::Shell& shell);
  // Returns the strip's view.
  QObject* navigate(QWidget* bannerStrip, const QUrl& page) override;
  void release(QWidget* bannerStrip) override;
  bool loaded() const override { return navigate_ != nullptr; }
  bool clearHistory(QWidget* window) override { return clearHistory_ != nullptr && clearHistory_(window); }
  bool clearCache(QWidget* window) override { return clearCache_ != nullptr && clearCache_(window); }

 private:
  QString moduleFile_;
  platform::Shell& shell_;
  NavigateBanner navigate_ = nullptr;
  ReleaseBanner release_ = nullptr;
  ClearBanner clearHistory_ = nullptr;
  ClearBanner clearCache_ = nullptr;
  bool tried_ = false;
};

// Where the banner module, and the program that runs the engine in a process of its own
// (BannerHost), are: beside the executable (a build), or in ../lib/sieciownik (installed).
QString bannerModuleFile(const QString& executableFolder);
QString bannerHostProgram(const QString& executableFolder);

}  // namespace app
