#include "bannerschedule.h"

namespace app {

BannerTick bannerTick(const std::function<bool()>& connectedQuery) {
  if (connectedQuery && !connectedQuery()) return {kBannerOfflineRetryMs, false};
  return {kBannerReloadMs, true};
}

}  // namespace app
