#include "startroute.h"

#include <QRegularExpression>

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
  // The fields are kept without "http://"; one that names another scheme (an "https://" page from
  // a directory update) already is a whole address, and "http://https://..." would open nothing.
  static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
  if (scheme.match(field).hasMatch() && !field.startsWith(QLatin1String("http://"))) return field;
  return QStringLiteral("http://") + field;
}

}  // namespace playback
