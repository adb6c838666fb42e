#include "playlistmapping.h"

#include <limits>
#include <vector>

#include "catalogue/regions.h"
#include "catalogue/sources/isoregions.h"
#include "catalogue/sources/stationorder.h"
#include "catalogue/sources/stationrules.h"
#include "catalogue/sources/textrules.h"

namespace catalogue::sources {
namespace {

template <class Station>
PlaylistEntry entryOf(const Station& station) {
  PlaylistEntry entry;
  entry.title = station.Name;
  entry.address = station.StreamUrl;
  entry.attributes.insert(kNameAttribute, station.Name);
  const int row = regionRowById(station.RegionId);
  if (row >= 0) {
    entry.attributes.insert(kRegionAttribute, regionName(row));
    const QString country = isoCodeForRow(row).section(QLatin1Char('-'), 0, 0);
    if (!country.isEmpty()) entry.attributes.insert(kCountryAttribute, country);
  }
  if (!station.Www.isEmpty()) entry.attributes.insert(kHomePageAttribute, station.Www);
  entry.attributes.insert(kKindAttribute, QString::number(station.PlayerKind));
  entry.attributes.insert(kCategoriesAttribute, QString::number(station.Categories));
  if (station.QualityBps != 0) entry.attributes.insert(kBitRateAttribute, QString::number(station.QualityBps));
  return entry;
}

template <class Station>
Playlist playlistOf(const std::vector<Station>& stations) {
  Playlist playlist;
  playlist.reserve(stations.size());
  for (const Station& station : stations) playlist.push_back(entryOf(station));
  return playlist;
}

std::optional<qint64> numberAttribute(const PlaylistEntry& entry, const QString& name, qint64 min, qint64 max) {
  bool ok = false;
  const qint64 value = entry.attributes.value(name).trimmed().toLongLong(&ok);
  if (!ok || value < min || value > max) return {};
  return value;
}

// The parts of a text between any of the separators, empty ones included (as a split keeps them).
std::vector<QStringView> piecesOf(QStringView text, QStringView separators) {
  std::vector<QStringView> pieces;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !separators.contains(text[i])) continue;
    pieces.push_back(text.sliced(start, i - start));
    start = i + 1;
  }
  return pieces;
}

// The loader takes "http://" off a page address and trims what follows, so every leading "http://"
// goes and the rest is made safe again: the address comes back from the catalogue file unchanged.
QString homePageOf(const PlaylistEntry& entry, const QString& name) {
  QString www = feedSafeName(entry.attributes.value(name));
  while (www.startsWith(QLatin1String("http://"))) www = feedSafeName(QStringView(www).mid(7));
  return www;
}

// What every station has: name, address, region, home page, categories, bit rate, and the
// player kind in `kind` when the playlist says it. False when the entry makes no station.
template <class Station>
bool fillCommon(const PlaylistEntry& entry, Medium medium, Station& station, std::optional<qint64>& kind) {
  station.StreamUrl = streamAddress(entry.address);
  if (station.StreamUrl.isEmpty()) return false;
  station.Www = homePageOf(entry, kHomePageAttribute);
  station.Name = feedSafeName(entry.title);
  if (station.Name.isEmpty()) station.Name = feedSafeName(entry.attributes.value(kNameAttribute));
  if (station.Name.isEmpty()) station.Name = nameFromAddresses(station.Www, station.StreamUrl);
  if (station.Name.isEmpty()) return false;

  const QString group = entry.attributes.value(kRegionAttribute).trimmed();
  const QString country = entry.attributes.value(kCountryAttribute).trimmed();
  int row = regionRowByName(group);
  const bool groupIsRegion = row >= 0;
  if (row < 0) row = regionRowForIso(country);
  station.RegionId = row > 0 ? Regions[row].Id : 0;

  if (const auto categories = numberAttribute(entry, kCategoriesAttribute, 0, 255)) {
    station.Categories = quint8(*categories);
  } else {
    std::vector<QStringView> keywords;
    if (!groupIsRegion) keywords = piecesOf(group, u";,/|");
    const QString languages = entry.attributes.value(kLanguageAttribute);
    station.Categories = categoriesFromKeywords(keywords, medium) | diasporaCategory(piecesOf(languages, u";"), country);
  }
  station.QualityBps = qint32(numberAttribute(entry, kBitRateAttribute, 0, std::numeric_limits<qint32>::max()).value_or(0));
  kind = numberAttribute(entry, kKindAttribute, 0, 255);
  return true;
}

}  // namespace

Playlist playlistFromStations(const TvStations& stations) {
  Playlist playlist = playlistOf(stations);
  for (std::size_t i = 0; i < stations.size(); ++i) {
    if (!stations[i].ScheduleWww.isEmpty()) playlist[i].attributes.insert(kScheduleAttribute, stations[i].ScheduleWww);
    playlist[i].attributes.insert(kLiveAttribute, stations[i].Live ? QStringLiteral("1") : QStringLiteral("0"));
  }
  return playlist;
}

Playlist playlistFromStations(const RadioStations& stations) { return playlistOf(stations); }

std::optional<TvStation> tvStationFromEntry(const PlaylistEntry& entry) {
  TvStation station;
  std::optional<qint64> kind;
  if (!fillCommon(entry, Medium::Tv, station, kind)) return std::nullopt;
  station.PlayerKind = kind ? quint8(*kind) : tvPlayerKind(station.StreamUrl);
  station.ScheduleWww = homePageOf(entry, kScheduleAttribute);
  station.Live = entry.attributes.value(kLiveAttribute, QStringLiteral("1")).trimmed() != QLatin1String("0");
  return station;
}

std::optional<RadioStation> radioStationFromEntry(const PlaylistEntry& entry) {
  RadioStation station;
  std::optional<qint64> kind;
  if (!fillCommon(entry, Medium::Radio, station, kind)) return std::nullopt;
  station.PlayerKind = kind ? quint8(*kind) : radioPlayerKind({}, station.StreamUrl, false);
  return station;
}

TvStations tvStationsFromPlaylist(const Playlist& playlist) {
  TvStations stations;
  for (const PlaylistEntry& entry : playlist)
    if (auto station = tvStationFromEntry(entry)) stations.push_back(std::move(*station));
  makeNamesUniquePerRegion(stations);
  return stations;
}

RadioStations radioStationsFromPlaylist(const Playlist& playlist) {
  RadioStations stations;
  for (const PlaylistEntry& entry : playlist)
    if (auto station = radioStationFromEntry(entry)) stations.push_back(std::move(*station));
  makeNamesUniquePerRegion(stations);
  return stations;
}

}  // namespace catalogue::sources
