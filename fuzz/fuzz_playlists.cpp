// The station importers on arbitrary input: M3U, PLS and XSPF playlists and the responses of the
// radio and the TV directory. The first byte chooses the importer; for the TV directory a zero
// byte separates the channel list from the stream list. Besides crashes it checks what the
// importers promise: every station they make can be stored in a catalogue file and comes back
// from it unchanged, names are unique within a region, a catalogue exported as a playlist and
// imported again gives the same stations, and an M3U playlist read line by line from its bytes
// gives the stations of the playlist read whole.
#include <QStringList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "catalogue/feedcolumns.h"
#include "catalogue/feedtext.h"
#include "catalogue/sources/directories.h"
#include "catalogue/sources/playlist.h"
#include "catalogue/sources/playlistmapping.h"
#include "catalogue/sources/stationorder.h"
#include "catalogue/stationnames.h"
#include "platform/texttrim.h"

namespace {

using namespace catalogue;
using namespace catalogue::sources;

[[noreturn]] void fail(const char* what, const QString& detail = {}) {
  std::fprintf(stderr, "invariant broken: %s %s\n", what, qPrintable(detail));
  std::abort();
}

QString shown(const TvStation& s) {
  return QStringList{s.Name, s.Www, s.ScheduleWww, s.StreamUrl, QString::number(s.RegionId),
                     QString::number(s.QualityBps), QString::number(s.PlayerKind), QString::number(s.Categories),
                     QString::number(s.Live)}
      .join(QLatin1Char('|'));
}
QString shown(const RadioStation& s) {
  return QStringList{s.Name, s.Www, s.StreamUrl, QString::number(s.RegionId), QString::number(s.QualityBps),
                     QString::number(s.PlayerKind), QString::number(s.Categories)}
      .join(QLatin1Char('|'));
}

template <class Station>
void checkStorable(const Station& station) {
  if (station.Name.isEmpty()) fail("a station without a name");
  if (feedTextFault(station.Name) != FeedTextFault::None) fail("a name the catalogue file cannot hold", shown(station));
  if (feedTextFault(station.Www) != FeedTextFault::None && !station.Www.isEmpty())
    fail("a home page the catalogue file cannot hold", shown(station));
  if (feedTextFault(station.StreamUrl) != FeedTextFault::None && !station.StreamUrl.isEmpty())
    fail("a stream address the catalogue file cannot hold", shown(station));
  QByteArray line;
  appendFeedLine(station, line);
  Station again;
  if (parseFeedLine(platform::trimControls(line), again)) fail("an imported station does not load from its catalogue line");
  if (!(again == station)) fail("an imported station changes when saved and loaded", shown(station) + QStringLiteral(" -> ") + shown(again));
}

template <class Station>
void checkStations(const std::vector<Station>& stations) {
  const QCollator names = stationNameCollator();
  for (std::size_t i = 0; i < stations.size(); ++i) {
    checkStorable(stations[i]);
    for (std::size_t j = 0; j < i; ++j)
      if (stations[j].RegionId == stations[i].RegionId && names.compare(stations[j].Name, stations[i].Name) == 0)
        fail("two stations of one region with equal names");
  }
}

// Export and import again: the playlist carries every field of ours.
template <class Station>
void checkExport(const std::vector<Station>& stations) {
  const Playlist playlist = playlistFromStations(stations);
  const auto imported = [](const Playlist& list) {
    if constexpr (std::is_same_v<Station, TvStation>) return tvStationsFromPlaylist(list);
    else return radioStationsFromPlaylist(list);
  };
  const auto compare = [&](const std::vector<Station>& again, const std::vector<Station>& expected, const char* what) {
    if (again.size() != expected.size())
      fail(what, QStringLiteral("%1 stations instead of %2").arg(again.size()).arg(expected.size()));
    for (std::size_t i = 0; i < again.size(); ++i)
      if (!(again[i] == expected[i])) fail(what, shown(expected[i]) + QStringLiteral(" -> ") + shown(again[i]));
  };
  // M3U has no escape for a double quote inside an attribute value: the export writes a single one.
  std::vector<Station> unquoted = stations;
  for (Station& station : unquoted) {
    station.Www.replace(QLatin1Char('"'), QLatin1Char('\''));
    if constexpr (std::is_same_v<Station, TvStation>) station.ScheduleWww.replace(QLatin1Char('"'), QLatin1Char('\''));
  }
  compare(imported(parseM3u(writeM3u(playlist))), unquoted, "an M3U export does not import as the same stations");
  const std::optional<Playlist> xspf = parseXspf(writeXspf(playlist));
  if (!xspf) fail("an XSPF export is not read as XSPF");
  compare(imported(*xspf), stations, "an XSPF export does not import as the same stations");
}

template <class Station>
void checkImported(const std::vector<Station>& stations) {
  checkStations(stations);
  checkExport(stations);
}

void checkPlaylist(const Playlist& playlist) {
  checkImported(tvStationsFromPlaylist(playlist));
  checkImported(radioStationsFromPlaylist(playlist));
}

// A playlist read line by line from its bytes, as the catalogue tool imports a large one, gives
// the stations of the playlist read whole.
void checkStreamedM3u(const QByteArray& bytes) {
  TvStations streamed;
  M3uReader reader(
      [&streamed](PlaylistEntry& entry) {
        if (auto station = tvStationFromEntry(entry)) streamed.push_back(std::move(*station));
      },
      kStationAttributes);
  forEachPlaylistLine(bytes, [&reader](QStringView line) { reader.addLine(line); });
  makeNamesUniquePerRegion(streamed);
  const TvStations whole = tvStationsFromPlaylist(parseM3u(playlistText(bytes)));
  if (streamed.size() != whole.size()) fail("a streamed M3U import gives another number of stations");
  for (std::size_t i = 0; i < whole.size(); ++i)
    if (!(streamed[i] == whole[i])) fail("a streamed M3U import gives other stations", shown(whole[i]) + QStringLiteral(" -> ") + shown(streamed[i]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const QByteArray body(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));
  switch (data[0] % 5) {
    case 0:
      checkPlaylist(parseM3u(playlistText(body)));
      checkStreamedM3u(body);
      break;
    case 1:
      checkPlaylist(parsePls(playlistText(body)));
      break;
    case 2:
      if (const std::optional<Playlist> playlist = parseXspf(body)) checkPlaylist(*playlist);
      break;
    case 3: {
      const auto parsed = parseRadioDirectory(body);
      if (parsed.failure == ParseFailure::None) checkImported(parsed.stations);
      else if (!parsed.stations.empty()) fail("a failed directory parse gave stations");
      break;
    }
    default: {
      const qsizetype zero = body.indexOf('\0');
      const QByteArray channels = zero < 0 ? body : body.left(zero);
      const QByteArray streams = zero < 0 ? QByteArray() : body.mid(zero + 1);
      tvDirectoryListKind(body);
      const auto parsed = parseTvDirectory(channels, streams);
      if (parsed.failure == ParseFailure::None) checkImported(parsed.stations);
      else if (!parsed.stations.empty()) fail("a failed directory parse gave stations");
      break;
    }
  }
  return 0;
}
