#pragma once

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

}  // namespace app
