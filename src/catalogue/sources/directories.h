#pragma once

#include <QByteArray>
#include <atomic>

#include "catalogue/stations.h"

namespace catalogue::sources {

enum class ParseFailure {
  None,
  NotJson,     // the body is not JSON at all (an error page, garbage, a cut-off transfer)
  WrongShape,  // JSON, but not the list the directory publishes
  Cancelled,   // the caller asked to stop
};

template <class Stations>
struct Parsed {
  ParseFailure failure = ParseFailure::None;
  Stations stations;  // mapped, filed by region and name, names unique per region
};

// The radio directory's JSON station list: an array of station objects (name, url_resolved or url,
// homepage, tags, countrycode, iso_3166_2, language, languagecodes, codec, bitrate, hls,
// lastcheckok). Stations with no region of ours, no usable address, or a failed last check are
// left out. `cancel` may be null; it is looked at while the list is worked through.
Parsed<RadioStations> parseRadioDirectory(const QByteArray& json, const std::atomic_bool* cancel = nullptr);

// The TV directory's channel list (objects with id, name, country, subdivision, categories,
// languages, website, is_nsfw, closed) and stream list (objects with channel, url, status). One
// station per channel, from its first stream that is not reported broken; channels without a
// region of ours or without a stream, and closed channels, are left out.
Parsed<TvStations> parseTvDirectory(const QByteArray& channelsJson, const QByteArray& streamsJson,
                                    const std::atomic_bool* cancel = nullptr);

// Which of the TV directory's two lists a saved response is, by its content.
enum class TvDirectoryList { Channels, Streams, Unknown };
TvDirectoryList tvDirectoryListKind(const QByteArray& json);

}  // namespace catalogue::sources
