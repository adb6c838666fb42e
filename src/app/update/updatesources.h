#pragma once

#include <QByteArray>
#include <QUrl>

namespace app {

// Where the update fetches its lists. Fixed in the program; the base addresses can be moved with
// SIECIOWNIK_RADIO_SOURCE and SIECIOWNIK_TV_SOURCE (for a mirror, or a test server).
struct UpdateSources {
  QUrl radioStations;  // the radio directory's JSON station list
  QUrl tvChannels;     // the TV directory's channel list
  QUrl tvStreams;      // and its stream list
};
UpdateSources updateSources();

// How much the update waits and takes.
struct UpdateLimits {
  qint64 maxBodyBytes = 192ll * 1024 * 1024;  // the full radio list is some tens of megabytes
  int stallTimeoutMs = 30'000;                // no byte for this long: the server is gone
  int totalTimeoutMs = 10 * 60'000;           // one list may take this long at most
};

// "Sieciownik/<version>": the directories ask their clients to name themselves.
QByteArray updateUserAgent();

}  // namespace app
