#include "startroute.h"

#include "catalogue/flags.h"
#include "catalogue/pageaddress.h"

namespace playback {
namespace {

StartRoute route(const QString& streamUrl, const QString& www, bool external) {
  if (streamUrl.isEmpty()) return {StartRoute::HomePage, catalogue::pageAddress(www), {}};
  if (external) return {StartRoute::ExternalPlayer, kExternalPlayer, streamUrl};
  return {StartRoute::PlayerWindow, streamUrl, {}};
}

}  // namespace

StartRoute routeTvStart(const catalogue::TvStation& station, bool externalPlayerInstalled) {
  return route(station.StreamUrl, station.Www,
               externalPlayerInstalled && station.PlayerKind == catalogue::tvplayer::kRealPlayer);
}

StartRoute routeRadioStart(const catalogue::RadioStation& station, bool externalPlayerInstalled) {
  return route(station.StreamUrl, station.Www,
               externalPlayerInstalled && station.PlayerKind == catalogue::radioplayer::kRealPlayer);
}

}  // namespace playback
