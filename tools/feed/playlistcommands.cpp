#include "playlistcommands.h"

#include <QFile>
#include <type_traits>
#include <variant>

#include "catalogue/feedfile.h"
#include "catalogue/feedlock.h"
#include "catalogue/sources/directories.h"
#include "catalogue/sources/jsonlist.h"
#include "catalogue/sources/playlist.h"
#include "catalogue/sources/playlistmapping.h"
#include "catalogue/sources/stationorder.h"

namespace feedtool {
namespace {

using namespace catalogue;
using namespace catalogue::sources;

// --tv|--radio, one "--name VALUE" option whose value is one of `formats`, optional flags, and
// at least `minFiles` file names. The value lands in `value`.
std::optional<CatalogueArguments> parseFormatArguments(const QStringList& arguments, const QString& option,
                                                       const QStringList& formats, const QStringList& allowedFlags,
                                                       qsizetype minFiles, ToolStreams& io) {
  const ValueOption formatOption{option, formats};
  std::optional<CatalogueArguments> parsed = parseCatalogueOptions(arguments, allowedFlags, &formatOption, io);
  if (!parsed) return std::nullopt;
  if (parsed->value.isEmpty()) {
    io.err << "error: " << option << " " << formats.join(QLatin1Char('|')) << " is missing\n";
    return std::nullopt;
  }
  if (parsed->files.size() < minFiles) {
    io.err << "error: expected at least " << minFiles << " file names, got " << parsed->files.size() << "\n";
    return std::nullopt;
  }
  return parsed;
}

// The whole file, with the room behind it that the JSON reader needs, so that it is read in place.
std::optional<QByteArray> readFile(const QString& path, ToolStreams& io) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    io.err << "error: cannot read " << path << ": " << file.errorString() << "\n";
    return std::nullopt;
  }
  QByteArray bytes(file.size(), Qt::Uninitialized);
  bytes.reserve(bytes.size() + json::kPadding);
  const qint64 read = file.read(bytes.data(), bytes.size());
  bytes.resize(std::max<qint64>(read, 0));
  bytes += file.readAll();  // what a pipe gives, or a file that grew meanwhile
  if (read < 0 || file.error() != QFileDevice::NoError) {
    io.err << "error: cannot read " << path << ": " << file.errorString() << "\n";
    return std::nullopt;
  }
  return bytes;
}

// A playlist in M3U read entry by entry: hundreds of thousands of channels are never held as
// text or as playlist entries, only as the stations they make.
template <class Station>
std::optional<std::vector<Station>> stationsFromM3u(const QStringList& files, ToolStreams& io) {
  std::vector<Station> stations;
  for (const QString& path : files) {
    const auto bytes = readFile(path, io);
    if (!bytes) return std::nullopt;
    // The entries keep only what the stations are made of.
    M3uReader reader(
        [&stations](PlaylistEntry& entry) {
          std::optional<Station> station;
          if constexpr (std::is_same_v<Station, TvStation>) station = tvStationFromEntry(entry);
          else station = radioStationFromEntry(entry);
          if (station) stations.push_back(std::move(*station));
        },
        kStationAttributes);
    forEachPlaylistLine(*bytes, [&reader](QStringView line) { reader.addLine(line); });
  }
  makeNamesUniquePerRegion(stations);
  return stations;
}

// The entries of all playlist files, in order.
std::optional<Playlist> readPlaylists(const QString& format, const QStringList& files, ToolStreams& io) {
  Playlist all;
  for (const QString& path : files) {
    const auto bytes = readFile(path, io);
    if (!bytes) return std::nullopt;
    Playlist playlist;
    if (format == QLatin1String("pls")) {
      playlist = parsePls(playlistText(*bytes));
    } else {
      auto parsed = parseXspf(*bytes);
      if (!parsed) {
        io.err << "error: " << path << " is not an XSPF playlist\n";
        return std::nullopt;
      }
      playlist = std::move(*parsed);
    }
    all.insert(all.end(), playlist.begin(), playlist.end());
  }
  return all;
}

// Several saved responses of one list, each read as a list already, as one list: the elements of
// their arrays in order.
QByteArray joinedArrays(const std::vector<QByteArray>& bodies) {
  if (bodies.size() == 1) return bodies.front();
  QByteArray joined = "[";
  for (const QByteArray& body : bodies) {
    QByteArrayView array = body;
    if (array.startsWith("\xEF\xBB\xBF")) array = array.sliced(3);
    array = array.trimmed();
    const QByteArrayView elements = array.sliced(1, array.size() - 2).trimmed();
    if (elements.isEmpty()) continue;
    if (joined.size() > 1) joined += ',';
    joined += elements;
  }
  joined += ']';
  joined.reserve(joined.size() + json::kPadding);
  return joined;
}

const char* failureText(ParseFailure failure) {
  switch (failure) {
    case ParseFailure::NotJson: return "is not JSON";
    case ParseFailure::WrongShape: return "is not a station list of that directory";
    case ParseFailure::Cancelled:
    case ParseFailure::None: break;
  }
  return "cannot be read";
}

std::optional<RadioStations> readRadioDirectory(const QStringList& files, ToolStreams& io) {
  std::vector<QByteArray> bodies;
  Parsed<RadioStations> parsed;
  for (const QString& path : files) {
    const auto bytes = readFile(path, io);
    if (!bytes) return std::nullopt;
    parsed = parseRadioDirectory(*bytes);
    if (parsed.failure != ParseFailure::None) {
      io.err << "error: " << path << " " << failureText(parsed.failure) << "\n";
      return std::nullopt;
    }
    bodies.push_back(*bytes);
  }
  // Names are made unique across all the files together.
  if (bodies.size() == 1) return std::move(parsed.stations);
  return parseRadioDirectory(joinedArrays(bodies)).stations;
}

std::optional<TvStations> readTvDirectory(const QStringList& files, ToolStreams& io) {
  std::vector<QByteArray> channels;
  std::vector<QByteArray> streams;
  for (const QString& path : files) {
    const auto bytes = readFile(path, io);
    if (!bytes) return std::nullopt;
    switch (tvDirectoryListKind(*bytes)) {
      case TvDirectoryList::Channels: channels.push_back(*bytes); break;
      case TvDirectoryList::Streams: streams.push_back(*bytes); break;
      case TvDirectoryList::Unknown:
        io.err << "error: " << path << " is neither the channel list nor the stream list\n";
        return std::nullopt;
    }
  }
  if (channels.empty() || streams.empty()) {
    io.err << "error: iptv-org needs the channel list and the stream list\n";
    return std::nullopt;
  }
  return parseTvDirectory(joinedArrays(channels), joinedArrays(streams)).stations;
}

template <class Stations>
int writeCatalogue(const Stations& stations, const QString& output, ToolStreams& io) {
  if (stations.empty()) {
    io.err << "error: no station could be taken from the input\n";
    return kExitFailure;
  }
  // As encode: under the lock a running program takes to check and write its catalogue.
  const FeedLock lock(output);
  if (!lock.ok()) {
    io.err << "error: " << lock.error() << "\n";
    return kExitFailure;
  }
  SaveResult saved;
  if constexpr (std::is_same_v<Stations, TvStations>)
    saved = saveTvFeed(output, stations);
  else
    saved = saveRadioFeed(output, stations);
  if (!saved.ok) {
    io.err << "error: cannot write " << output << ": " << saved.error << "\n";
    return kExitFailure;
  }
  io.out << stations.size() << " stations written to " << output << "\n";
  return kExitOk;
}

template <class Station>
std::vector<Station> favouritesOnly(std::vector<Station> stations) {
  std::erase_if(stations, [](const Station& s) { return s.RegionId != 0; });
  return stations;
}

}  // namespace

int runImport(const QStringList& arguments, ToolStreams& io) {
  const QStringList formats{QStringLiteral("m3u"), QStringLiteral("pls"), QStringLiteral("xspf"),
                            QStringLiteral("radio-browser"), QStringLiteral("iptv-org")};
  const auto parsed = parseFormatArguments(arguments, QStringLiteral("--from"), formats, {}, 2, io);
  if (!parsed) return kExitFailure;
  QStringList inputs = parsed->files;
  const QString output = inputs.takeLast();
  const bool tv = parsed->kind == CatalogueKind::Tv;

  if (parsed->value == QLatin1String("radio-browser") || parsed->value == QLatin1String("iptv-org")) {
    if (tv != (parsed->value == QLatin1String("iptv-org"))) {
      io.err << "error: radio-browser lists radio stations (--radio), iptv-org TV channels (--tv)\n";
      return kExitFailure;
    }
    if (tv) {
      const auto stations = readTvDirectory(inputs, io);
      return stations ? writeCatalogue(*stations, output, io) : kExitFailure;
    }
    const auto stations = readRadioDirectory(inputs, io);
    return stations ? writeCatalogue(*stations, output, io) : kExitFailure;
  }
  if (parsed->value == QLatin1String("m3u")) {
    if (tv) {
      const auto stations = stationsFromM3u<TvStation>(inputs, io);
      return stations ? writeCatalogue(*stations, output, io) : kExitFailure;
    }
    const auto stations = stationsFromM3u<RadioStation>(inputs, io);
    return stations ? writeCatalogue(*stations, output, io) : kExitFailure;
  }
  const auto playlist = readPlaylists(parsed->value, inputs, io);
  if (!playlist) return kExitFailure;
  if (tv) return writeCatalogue(tvStationsFromPlaylist(*playlist), output, io);
  return writeCatalogue(radioStationsFromPlaylist(*playlist), output, io);
}

int runExport(const QStringList& arguments, ToolStreams& io) {
  const QStringList formats{QStringLiteral("m3u"), QStringLiteral("pls"), QStringLiteral("xspf")};
  const auto parsed =
      parseFormatArguments(arguments, QStringLiteral("--to"), formats, {QStringLiteral("--favourites")}, 1, io);
  if (!parsed) return kExitFailure;
  if (parsed->files.size() != 1) {
    io.err << "error: expected 1 file name, got " << parsed->files.size() << "\n";
    return kExitFailure;
  }
  const QString& path = parsed->files.front();
  const bool favourites = parsed->flags.contains(QLatin1String("--favourites"));
  Playlist playlist;
  LoadResult loaded;
  if (parsed->kind == CatalogueKind::Tv) {
    TvStations stations;
    loaded = loadTvFeed(path, stations);
    playlist = playlistFromStations(favourites ? favouritesOnly(std::move(stations)) : stations);
  } else {
    RadioStations stations;
    loaded = loadRadioFeed(path, stations);
    playlist = playlistFromStations(favourites ? favouritesOnly(std::move(stations)) : stations);
  }
  if (loaded.status != LoadResult::Loaded) {
    io.err << "error: cannot read " << path
           << (loaded.error.isEmpty() ? QString() : QStringLiteral(": ") + loaded.error) << "\n";
    return kExitFailure;
  }
  if (parsed->value == QLatin1String("m3u"))
    io.out << writeM3u(playlist);
  else if (parsed->value == QLatin1String("pls"))
    io.out << writePls(playlist);
  else
    io.out << QString::fromUtf8(writeXspf(playlist));
  return kExitOk;
}

}  // namespace feedtool
