#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "catalogue/stations.h"

class QIODevice;

namespace catalogue {

// File names of the two catalogues in the program's folder.
inline const QString kTvFeedName = QStringLiteral("TV.FEED");
inline const QString kRadioFeedName = QStringLiteral("RADIO.FEED");

struct LoadResult {
  enum Status {
    Loaded,     // every line read (malformed lines dropped); the refresh hook runs
    NotOpened,  // missing, unreadable or not a regular file: nothing loaded, no hook, no message
    ReadError,  // failed part-way: the records read so far stay, no hook; `error` says why
  };
  Status status = NotOpened;
  QString error;
  // Whether a save could write the file back (see canReplaceFile); false when it was not opened.
  bool writable = false;
};

struct SaveResult {
  bool ok = false;
  QString error;  // why the file could not be written (Polish, for the user)
};

// Why a line of a catalogue file was left out.
struct DroppedLine {
  enum Reason {
    RequiredMissing,  // the line ends before a required column
    RequiredEmpty,    // a required column holds "-", the empty value
    NotAnInteger,     // a required number column does not hold a signed 32-bit integer
  };
  qint64 lineNumber = 0;  // 1-based; CR LF, LF and CR each end one line
  int column = 0;         // 1-based position in the line's column order
  const char* field = ""; // the record field the column fills ("RegionId")
  Reason reason = RequiredEmpty;
  QString text;           // the column's trimmed text as read
};

// The device a catalogue file's bytes are read through, given the file's path and the open file.
// Tests put one in between that fails part-way.
using FeedReadThrough = std::function<std::unique_ptr<QIODevice>(const QString& path, QIODevice& file)>;

struct LoadOptions {
  // Told about every line that is left out, in file order.
  std::function<void(const DroppedLine&)> onDroppedLine;
  // Empty: the file is read directly.
  FeedReadThrough readThrough;
};

// Append the records of a scrambled catalogue file to `into`, in file order.
LoadResult loadTvFeed(const QString& path, TvStations& into, const LoadOptions& options = {});
LoadResult loadRadioFeed(const QString& path, RadioStations& into, const LoadOptions& options = {});

// The same from a device already open for reading (Loaded or ReadError).
LoadResult loadTvFeed(QIODevice& device, TvStations& into, const LoadOptions& options = {});
LoadResult loadRadioFeed(QIODevice& device, RadioStations& into, const LoadOptions& options = {});

// Rewrite the whole file from the array; crash-safe (temporary file, flush, rename). On failure the
// old file is left exactly as it was.
SaveResult saveTvFeed(const QString& path, const TvStations& stations);
SaveResult saveRadioFeed(const QString& path, const RadioStations& stations);

}  // namespace catalogue
