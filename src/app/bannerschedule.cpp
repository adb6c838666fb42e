#include "bannerschedule.h"

#include "app/producer.h"

namespace app {

BannerTick bannerTick(const std::function<bool()>& connectedQuery) {
  if (connectedQuery && !connectedQuery()) return {kBannerOfflineRetryMs, false};
  return {kBannerReloadMs, true};
}

QUrl bannerPage() {
  if (!qEnvironmentVariableIsSet("SIECIOWNIK_BANNER_URL")) return QUrl(kBannerPage);
  return QUrl(qEnvironmentVariable("SIECIOWNIK_BANNER_URL").trimmed());
}

}  // namespace app
