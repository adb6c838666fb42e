#include "startroute.h"

#include "catalogue/flags.h"

namespace playback {
namespace {

const QString kExternalPlayer = QStringLiteral("realplay");

StartRoute route(const QString& streamUrl, const QString& www, bool external) {
  if (streamUrl.isEmpty()) return {StartRoute::HomePage, pageAddress(www), {}};
  if (external) return {StartRoute::ExternalPlayer, kExternalPlayer, streamUrl};
  return {StartRoute::PlayerWindow, streamUrl, {}};
}

}  // namespace

StartRoute routeTvStart(const catalogue::TvStation& station) {
  return route(station.StreamUrl, station.Www, station.PlayerKind == catalogue::kTvRealPlayer);
}

StartRoute routeRadioStart(const catalogue::RadioStation& station) {
  return route(station.StreamUrl, station.Www, station.PlayerKind == catalogue::kRadioRealPlayer);
}

QString pageAddress(const QString& field) {
  // A field that already is a whole web address (an "https://" page from a directory update, a
  // prefix typed in capitals) opens as it is; "http://https://..." would open nothing. Any other
  // scheme (file:, smb:, a handler's own) goes behind "http://" and so never reaches the desktop
  // as a target of its own.
  if (field.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
      field.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
    return field;
  return QStringLiteral("http://") + field;
}

}  // namespace playback
