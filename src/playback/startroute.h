#pragma once

#include <QString>

#include "catalogue/stations.h"

namespace playback {

// Where a START click sends a station.
struct StartRoute {
  enum Kind {
    HomePage,        // no stream address: the home page opens in the browser instead
    ExternalPlayer,  // the "realplay" program, the stream address as its one parameter
    PlayerWindow,    // a new player window plays the stream
  };
  Kind kind;
  QString target;      // what ShellOpen gets, or the stream address for the player window
  QString parameters;  // ShellOpen's parameters

  friend bool operator==(const StartRoute&, const StartRoute&) = default;
};

// The external player program of the RealPlayer kind.
inline const QString kExternalPlayer = QStringLiteral("realplay");

// The player kind is compared for equality, not as a bit: any other value, even one outside the
// kind table, plays in the window. So does the RealPlayer kind where the external player is not
// installed: the window plays its streams too, or says why it cannot. The stream address is passed
// on exactly as stored.
StartRoute routeTvStart(const catalogue::TvStation& station, bool externalPlayerInstalled);
StartRoute routeRadioStart(const catalogue::RadioStation& station, bool externalPlayerInstalled);

}  // namespace playback
