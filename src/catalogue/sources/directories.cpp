#include "directories.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <vector>

#include "catalogue/regions.h"
#include "catalogue/sources/isoregions.h"
#include "catalogue/sources/jsonlist.h"
#include "catalogue/sources/stationorder.h"
#include "catalogue/sources/stationrules.h"
#include "catalogue/sources/textrules.h"

namespace catalogue::sources {
namespace {

using json::Entry;
using json::Kind;
using json::ListRead;
using json::Value;

constexpr int kCancelCheckEvery = 512;

bool cancelled(const std::atomic_bool* cancel, qsizetype index) {
  return cancel != nullptr && index % kCancelCheckEvery == 0 && cancel->load(std::memory_order_relaxed);
}

ParseFailure failureOf(const ListRead& read) {
  switch (read.status) {
    case ListRead::Done: return ParseFailure::None;
    case ListRead::NotJson: return ParseFailure::NotJson;
    case ListRead::NotAList: return ParseFailure::WrongShape;
    case ListRead::Stopped: return ParseFailure::Cancelled;
  }
  return ParseFailure::NotJson;
}

// A list whose entries carry none of the keys its entries must have is not that list; an empty
// list may be any.
class ShapeCheck {
 public:
  explicit ShapeCheck(std::initializer_list<std::size_t> slots) : slots_(slots) {}
  void see(const Entry& entry) {
    if (seen_) return;
    seen_ = std::all_of(slots_.begin(), slots_.end(), [&](std::size_t slot) { return entry[slot].kind != Kind::Missing; });
  }
  bool fits(const ListRead& read) const { return seen_ || read.elements == 0; }

 private:
  std::vector<std::size_t> slots_;
  bool seen_ = false;
};

QStringList commaList(const Entry& entry, const Value& value) {
  if (value.kind == Kind::Array) {
    QStringList items;
    for (const Value& item : entry.items(value)) items << json::toString(item);
    return items;
  }
  return json::toString(value).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// The items of list values as commaList gives them, as views of texts held here: no list is built.
class Items {
 public:
  void add(const Entry& entry, const Value& value) {
    if (value.kind == Kind::Array) {
      for (const Value& item : entry.items(value)) items_.push_back(texts_.emplace_back(json::toString(item)));
      return;
    }
    const QStringView text = texts_.emplace_back(json::toString(value));
    for (QStringView item : text.tokenize(QLatin1Char(','), Qt::SkipEmptyParts)) items_.push_back(item);
  }
  std::span<const QStringView> items() const { return items_; }

 private:
  std::vector<QString> texts_;  // a moved text keeps its characters where they are
  std::vector<QStringView> items_;
};

// Numbers come as JSON numbers or, from some mirrors, as strings.
qint64 integerOf(const Value& value, qint64 fallback) {
  switch (value.kind) {
    case Kind::Number:
      // Beyond the range of a 64-bit integer a number means nothing.
      return std::abs(value.number) < 9.2e18 ? qint64(value.number) : fallback;
    case Kind::Boolean:
      return value.text == "true" ? 1 : 0;
    default: {
      bool ok = false;
      const qint64 number = json::toString(value).trimmed().toLongLong(&ok);
      return ok ? number : fallback;
    }
  }
}

QString stationName(const Value& name, const QString& www, const QString& stream) {
  QString text = feedSafeName(json::toString(name));
  if (text.isEmpty()) text = nameFromAddresses(www, stream);
  return text;
}

namespace radio {
enum Key : std::size_t {
  LastCheckOk, CountryCode, Iso3166_2, UrlResolved, Url, Homepage, Name, Bitrate, Codec, Hls, Language,
  LanguageCodes, Tags, KeyCount
};
constexpr std::string_view kKeys[KeyCount] = {"lastcheckok", "countrycode", "iso_3166_2", "url_resolved", "url",
                                             "homepage", "name", "bitrate", "codec", "hls", "language",
                                             "languagecodes", "tags"};
}  // namespace radio

std::optional<RadioStation> radioStationOf(const Entry& entry) {
  using namespace radio;
  if (integerOf(entry[LastCheckOk], 1) == 0) return {};
  const QString country = json::toString(entry[CountryCode]);
  const int row = regionRowForIso(country, json::toString(entry[Iso3166_2]));
  if (row <= 0) return {};
  QString stream = streamAddress(json::toString(entry[UrlResolved]));
  if (stream.isEmpty()) stream = streamAddress(json::toString(entry[Url]));
  if (stream.isEmpty()) return {};

  RadioStation station;
  station.Www = homePageText(json::toString(entry[Homepage]));
  station.Name = stationName(entry[Name], station.Www, stream);
  if (station.Name.isEmpty()) return {};
  station.StreamUrl = stream;
  station.RegionId = Regions[row].Id;
  station.QualityBps = qualityFromKbps(integerOf(entry[Bitrate], 0));
  station.PlayerKind = radioPlayerKind(json::toString(entry[Codec]), stream, integerOf(entry[Hls], 0) != 0);
  Items languages;
  languages.add(entry, entry[Language]);
  languages.add(entry, entry[LanguageCodes]);
  Items tags;
  tags.add(entry, entry[Tags]);
  station.Categories = categoriesFromKeywords(tags.items(), Medium::Radio) | diasporaCategory(languages.items(), country);
  return station;
}

namespace tvstream {
enum Key : std::size_t { Channel, Url, Status, KeyCount };
constexpr std::string_view kKeys[KeyCount] = {"channel", "url", "status"};
}  // namespace tvstream

namespace tvchannel {
enum Key : std::size_t { Id, Name, Country, Subdivision, Categories, Languages, Website, IsNsfw, Closed, KeyCount };
constexpr std::string_view kKeys[KeyCount] = {"id",        "name",    "country", "subdivision", "categories",
                                             "languages", "website", "is_nsfw", "closed"};
}  // namespace tvchannel

// What a station is made of from one channel of the channel list.
struct Channel {
  QString name;
  QString country;
  QString subdivision;
  QString website;
  QStringList categories;
  QStringList languages;
  bool nsfw = false;
  bool closed = false;
};

Channel channelOf(const Entry& entry) {
  using namespace tvchannel;
  return {json::toString(entry[Name]),
          json::toString(entry[Country]),
          json::toString(entry[Subdivision]),
          json::toString(entry[Website]),
          commaList(entry, entry[Categories]),
          commaList(entry, entry[Languages]),
          entry[IsNsfw].kind == Kind::Boolean && entry[IsNsfw].text == "true",
          !json::toString(entry[Closed]).isEmpty()};
}

bool streamReportedBroken(const QString& status) {
  const QString lower = status.toLower();
  return lower == QLatin1String("error") || lower == QLatin1String("offline") || lower == QLatin1String("timeout") ||
         lower == QLatin1String("blocked");
}

std::optional<TvStation> tvStationOf(const Channel& channel, const QString& stream) {
  if (channel.closed) return {};
  const int row = regionRowForIso(channel.country, channel.subdivision);
  if (row <= 0) return {};

  TvStation station;
  station.Www = homePageText(channel.website);
  station.Name = feedSafeName(channel.name);
  if (station.Name.isEmpty()) station.Name = nameFromAddresses(station.Www, stream);
  if (station.Name.isEmpty()) return {};
  station.StreamUrl = stream;
  station.RegionId = Regions[row].Id;
  station.PlayerKind = tvPlayerKind(stream);
  station.Live = true;
  QStringList keywords = channel.categories;
  if (channel.nsfw) keywords << QStringLiteral("xxx");
  station.Categories = categoriesFromKeywords(keywords, Medium::Tv) | diasporaCategory(channel.languages, channel.country);
  return station;
}

// One entry of the stream list, as far as the mapping needs it.
struct Stream {
  QString channel;
  QString url;
  bool broken;
};

}  // namespace

Parsed<RadioStations> parseRadioDirectory(const QByteArray& json, const std::atomic_bool* cancel) {
  Parsed<RadioStations> result;
  ShapeCheck shape({radio::Name, radio::Url});
  qsizetype index = 0;
  const ListRead read = json::readObjectList(json, radio::kKeys, [&](const Entry& entry) {
    if (cancelled(cancel, index++)) return false;
    shape.see(entry);
    if (auto station = radioStationOf(entry)) result.stations.push_back(std::move(*station));
    return true;
  });
  result.failure = failureOf(read);
  if (result.failure == ParseFailure::None && !shape.fits(read)) result.failure = ParseFailure::WrongShape;
  if (result.failure != ParseFailure::None || (cancel != nullptr && cancel->load()))
    return {result.failure == ParseFailure::None ? ParseFailure::Cancelled : result.failure, {}};
  fileLikeTheEditor(result.stations);
  return result;
}

Parsed<TvStations> parseTvDirectory(const QByteArray& channelsJson, const QByteArray& streamsJson,
                                    const std::atomic_bool* cancel) {
  // The streams first: only the channels they name are worth reading in full.
  std::vector<Stream> streams;
  QSet<QString> named;
  ShapeCheck streamShape({tvstream::Channel, tvstream::Url});
  qsizetype index = 0;
  const ListRead streamsRead = json::readObjectList(streamsJson, tvstream::kKeys, [&](const Entry& entry) {
    if (cancelled(cancel, index++)) return false;
    streamShape.see(entry);
    Stream stream{json::toString(entry[tvstream::Channel]), json::toString(entry[tvstream::Url]),
                  streamReportedBroken(json::toString(entry[tvstream::Status]))};
    if (!stream.channel.isEmpty()) named.insert(stream.channel);
    streams.push_back(std::move(stream));
    return true;
  });
  // The first channel of an id is the one its streams belong to.
  QHash<QString, Channel> channels;
  ShapeCheck channelShape({tvchannel::Id, tvchannel::Name});
  index = 0;
  const ListRead channelsRead = json::readObjectList(channelsJson, tvchannel::kKeys, [&](const Entry& entry) {
    if (cancelled(cancel, index++)) return false;
    channelShape.see(entry);
    const QString id = json::toString(entry[tvchannel::Id]);
    if (named.contains(id) && !channels.contains(id)) channels.insert(id, channelOf(entry));
    return true;
  });

  Parsed<TvStations> result;
  result.failure = failureOf(channelsRead);
  if (result.failure == ParseFailure::None) result.failure = failureOf(streamsRead);
  if (result.failure == ParseFailure::None && (!channelShape.fits(channelsRead) || !streamShape.fits(streamsRead)))
    result.failure = ParseFailure::WrongShape;
  if (result.failure != ParseFailure::None) return {result.failure, {}};

  QSet<QString> served;
  for (std::size_t i = 0; i < streams.size(); ++i) {
    if (cancelled(cancel, qsizetype(i))) return {ParseFailure::Cancelled, {}};
    const Stream& stream = streams[i];
    const auto channel = channels.constFind(stream.channel);
    if (channel == channels.constEnd() || served.contains(stream.channel) || stream.broken) continue;
    const QString address = streamAddress(stream.url);
    if (address.isEmpty()) continue;
    served.insert(stream.channel);
    if (auto station = tvStationOf(channel.value(), address)) result.stations.push_back(std::move(*station));
  }
  if (cancel != nullptr && cancel->load()) return {ParseFailure::Cancelled, {}};
  fileLikeTheEditor(result.stations);
  return result;
}

TvDirectoryList tvDirectoryListKind(const QByteArray& json) {
  enum Key : std::size_t { Channel, Url, Id, Name };
  constexpr std::string_view keys[] = {"channel", "url", "id", "name"};
  ShapeCheck streams({Channel, Url});
  ShapeCheck channels({Id, Name});
  const ListRead read = json::readObjectList(json, keys, [&](const Entry& entry) {
    streams.see(entry);
    channels.see(entry);
    return true;
  });
  if (read.status != ListRead::Done || read.elements == 0) return TvDirectoryList::Unknown;
  if (streams.fits(read)) return TvDirectoryList::Streams;
  if (channels.fits(read)) return TvDirectoryList::Channels;
  return TvDirectoryList::Unknown;
}

}  // namespace catalogue::sources
