#include "updatesources.h"

#include <QtGlobal>

#include "app/update/radioservers.h"

namespace app {
namespace {

// "hidebroken" leaves out stations whose last check failed, which would be dropped here anyway.
const QString kRadioStationsPath = QStringLiteral("/json/stations?hidebroken=true");

QString baseAddress(const char* variable, const char* fallback) {
  QString base = qEnvironmentVariable(variable);
  if (base.isEmpty()) base = QString::fromLatin1(fallback);
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  return base;
}

}  // namespace

QUrl RadioDirectory::stationsOn(const QString& hostName) const {
  QUrl url(stationsPath);  // path and query
  url.setScheme(scheme);
  url.setHost(hostName);
  url.setPort(port);
  return url;
}

UpdateSources updateSources() {
  UpdateSources sources;
  // The radio directory asks its clients to find its servers behind this name rather than to
  // keep to one of them.
  sources.radioDirectory = {QStringLiteral("all.api.radio-browser.info"), QStringLiteral("https"), -1,
                            kRadioStationsPath, std::make_shared<SystemHostLookup>()};
  if (const QString radio = qEnvironmentVariable("SIECIOWNIK_RADIO_SOURCE"); !radio.isEmpty())
    sources.radioStations = {QUrl(baseAddress("SIECIOWNIK_RADIO_SOURCE", "") + kRadioStationsPath)};
  const QString tv = baseAddress("SIECIOWNIK_TV_SOURCE", "https://iptv-org.github.io/api");
  sources.tvChannels = QUrl(tv + QStringLiteral("/channels.json"));
  sources.tvStreams = QUrl(tv + QStringLiteral("/streams.json"));
  return sources;
}

QByteArray updateUserAgent() { return QByteArrayLiteral("Sieciownik/" SIECIOWNIK_VERSION); }

}  // namespace app
