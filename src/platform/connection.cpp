#include "connection.h"

#include <QNetworkInformation>

namespace platform {

ConnectedQuery lookupConnectedQuery() {
  if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) return {};
  QNetworkInformation* information = QNetworkInformation::instance();
  if (information == nullptr) return {};
  return [information] {
    const auto reachability = information->reachability();
    // A backend that cannot tell yet must not keep the banner away.
    return reachability == QNetworkInformation::Reachability::Online ||
           reachability == QNetworkInformation::Reachability::Unknown;
  };
}

}  // namespace platform
