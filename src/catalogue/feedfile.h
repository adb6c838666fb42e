#pragma once

#include <QString>

#include "catalogue/stations.h"

namespace catalogue {

// File names of the two catalogues in the program's folder.
inline const QString kTvFeedName = QStringLiteral("TV.FEED");
inline const QString kRadioFeedName = QStringLiteral("RADIO.FEED");

struct LoadResult {
  enum Status {
    Loaded,     // every line read (malformed lines dropped); the refresh hook runs
    NotOpened,  // missing, read-only or unreadable: nothing loaded, no hook, no message
    ReadError,  // failed part-way: the records read so far stay, no hook; `error` says why
  };
  Status status = NotOpened;
  QString error;
};

struct SaveResult {
  bool ok = false;
  QString error;  // why the file could not be written (Polish, for the user)
};

// Append the records of a scrambled catalogue file to `into`, in file order.
LoadResult loadTvFeed(const QString& path, TvStations& into);
LoadResult loadRadioFeed(const QString& path, RadioStations& into);

// Rewrite the whole file from the array; crash-safe (temporary file, flush, rename). On failure the
// old file is left exactly as it was.
SaveResult saveTvFeed(const QString& path, const TvStations& stations);
SaveResult saveRadioFeed(const QString& path, const RadioStations& stations);

}  // namespace catalogue
