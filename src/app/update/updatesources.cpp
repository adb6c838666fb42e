#include "updatesources.h"

#include <QtGlobal>

namespace app {
namespace {

QString baseAddress(const char* variable, const char* fallback) {
  QString base = qEnvironmentVariable(variable);
  if (base.isEmpty()) base = QString::fromLatin1(fallback);
  while (base.endsWith(QLatin1Char('/'))) base.chop(1);
  return base;
}

}  // namespace

UpdateSources updateSources() {
  // One of the radio directory's public API hosts; "hidebroken" leaves out stations whose last
  // check failed, which would be dropped here anyway.
  const QString radio = baseAddress("SIECIOWNIK_RADIO_SOURCE", "https://de1.api.radio-browser.info");
  const QString tv = baseAddress("SIECIOWNIK_TV_SOURCE", "https://iptv-org.github.io/api");
  return {QUrl(radio + QStringLiteral("/json/stations?hidebroken=true")), QUrl(tv + QStringLiteral("/channels.json")),
          QUrl(tv + QStringLiteral("/streams.json"))};
}

QByteArray updateUserAgent() { return QByteArrayLiteral("Sieciownik/" SIECIOWNIK_VERSION); }

}  // namespace app
