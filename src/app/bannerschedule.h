#pragma once

#include <QUrl>
#include <functional>

namespace app {

// What one tick of the banner timer decides: the timer's next interval, and whether the banner
// page is (re)loaded now.
struct BannerTick {
  int nextIntervalMs;
  bool navigate;
  friend bool operator==(const BannerTick&, const BannerTick&) = default;
};

inline constexpr int kBannerFirstTickMs = 100;
inline constexpr int kBannerOfflineRetryMs = 3000;
inline constexpr int kBannerReloadMs = 600000;

// Offline: check again in 3 s. Online, or no way to ask: load the banner, reload in 10 minutes.
BannerTick bannerTick(const std::function<bool()>& connectedQuery);

// The banner page's address: the producer's page, or SIECIOWNIK_BANNER_URL where a packager or a
// tester set it; empty when that is set empty (no banner at all).
QUrl bannerPage();

}  // namespace app
