#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>
#include <memory>

namespace app {

class HostLookup;

// The radio directory's servers, found at run time: the servers behind one round-robin name,
// each asked at the same path.
struct RadioDirectory {
  QString roundRobinName;         // has every server's address behind it
  QString scheme;                 // of the servers' addresses
  int port = -1;                  // -1: the scheme's own
  QString stationsPath;           // the station list's path and query on every server
  std::shared_ptr<HostLookup> lookup;

  QUrl stationsOn(const QString& hostName) const;
};

// Where the update fetches its lists. The radio list comes from the radio directory's servers as
// found at run time; SIECIOWNIK_RADIO_SOURCE names one server to use instead (a mirror, a test
// server). The TV lists come from one fixed place, which SIECIOWNIK_TV_SOURCE can move.
struct UpdateSources {
  QList<QUrl> radioStations;      // when not empty: these, in this order, instead of the directory's
  RadioDirectory radioDirectory;
  QUrl tvChannels;                // the TV directory's channel list
  QUrl tvStreams;                 // and its stream list
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
