#include "directories.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSet>
#include <optional>

#include "catalogue/regions.h"
#include "catalogue/sources/isoregions.h"
#include "catalogue/sources/stationorder.h"
#include "catalogue/sources/stationrules.h"
#include "catalogue/sources/textrules.h"

namespace catalogue::sources {
namespace {

constexpr int kCancelCheckEvery = 512;

bool cancelled(const std::atomic_bool* cancel, qsizetype index) {
  return cancel != nullptr && index % kCancelCheckEvery == 0 && cancel->load(std::memory_order_relaxed);
}

// The top-level array of a body, or the reason there is none.
ParseFailure readArray(const QByteArray& json, QJsonArray& array) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(json, &error);
  if (error.error != QJsonParseError::NoError) return ParseFailure::NotJson;
  if (!document.isArray()) return ParseFailure::WrongShape;
  array = document.array();
  return ParseFailure::None;
}

// A list whose entries carry none of the keys its entries must have is not that list.
bool hasEntriesWith(const QJsonArray& array, std::initializer_list<const char*> keys) {
  if (array.isEmpty()) return true;
  for (const QJsonValue& value : array) {
    const QJsonObject object = value.toObject();
    bool all = true;
    for (const char* key : keys) all = all && object.contains(QLatin1String(key));
    if (all) return true;
  }
  return false;
}

QStringList commaList(const QJsonValue& value) {
  if (value.isArray()) {
    QStringList items;
    for (const QJsonValue& item : value.toArray()) items << item.toString();
    return items;
  }
  return value.toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
}

// Numbers come as JSON numbers or, from some mirrors, as strings.
qint64 integerOf(const QJsonValue& value, qint64 fallback) {
  if (value.isDouble()) return qint64(value.toDouble());
  if (value.isBool()) return value.toBool() ? 1 : 0;
  bool ok = false;
  const qint64 number = value.toString().trimmed().toLongLong(&ok);
  return ok ? number : fallback;
}

QString stationName(const QJsonValue& name, const QString& www, const QString& stream) {
  QString text = feedSafeName(name.toString());
  if (text.isEmpty()) text = nameFromAddresses(www, stream);
  return text;
}

std::optional<RadioStation> radioStationOf(const QJsonObject& entry) {
  if (integerOf(entry.value(QLatin1String("lastcheckok")), 1) == 0) return {};
  const QString country = entry.value(QLatin1String("countrycode")).toString();
  const int row = regionRowForIso(country, entry.value(QLatin1String("iso_3166_2")).toString());
  if (row <= 0) return {};
  QString stream = streamAddress(entry.value(QLatin1String("url_resolved")).toString());
  if (stream.isEmpty()) stream = streamAddress(entry.value(QLatin1String("url")).toString());
  if (stream.isEmpty()) return {};

  RadioStation station;
  station.Www = homePageText(entry.value(QLatin1String("homepage")).toString());
  station.Name = stationName(entry.value(QLatin1String("name")), station.Www, stream);
  if (station.Name.isEmpty()) return {};
  station.StreamUrl = stream;
  station.RegionId = Regions[row].Id;
  station.QualityBps = qualityFromKbps(integerOf(entry.value(QLatin1String("bitrate")), 0));
  station.PlayerKind = radioPlayerKind(entry.value(QLatin1String("codec")).toString(), stream,
                                       integerOf(entry.value(QLatin1String("hls")), 0) != 0);
  const QStringList languages = commaList(entry.value(QLatin1String("language"))) +
                                commaList(entry.value(QLatin1String("languagecodes")));
  station.Categories = categoriesFromKeywords(commaList(entry.value(QLatin1String("tags"))), Medium::Radio) |
                       diasporaCategory(languages, country);
  return station;
}

bool streamReportedBroken(const QJsonObject& stream) {
  const QString status = stream.value(QLatin1String("status")).toString().toLower();
  return status == QLatin1String("error") || status == QLatin1String("offline") ||
         status == QLatin1String("timeout") || status == QLatin1String("blocked");
}

std::optional<TvStation> tvStationOf(const QJsonObject& channel, const QString& stream) {
  if (!channel.value(QLatin1String("closed")).toString().isEmpty()) return {};
  const QString country = channel.value(QLatin1String("country")).toString();
  const int row = regionRowForIso(country, channel.value(QLatin1String("subdivision")).toString());
  if (row <= 0) return {};

  TvStation station;
  station.Www = homePageText(channel.value(QLatin1String("website")).toString());
  station.Name = stationName(channel.value(QLatin1String("name")), station.Www, stream);
  if (station.Name.isEmpty()) return {};
  station.StreamUrl = stream;
  station.RegionId = Regions[row].Id;
  station.PlayerKind = tvPlayerKind(stream);
  station.Live = true;
  QStringList keywords = commaList(channel.value(QLatin1String("categories")));
  if (channel.value(QLatin1String("is_nsfw")).toBool()) keywords << QStringLiteral("xxx");
  station.Categories = categoriesFromKeywords(keywords, Medium::Tv) |
                       diasporaCategory(commaList(channel.value(QLatin1String("languages"))), country);
  return station;
}

}  // namespace

Parsed<RadioStations> parseRadioDirectory(const QByteArray& json, const std::atomic_bool* cancel) {
  Parsed<RadioStations> result;
  QJsonArray array;
  if ((result.failure = readArray(json, array)) != ParseFailure::None) return result;
  if (!hasEntriesWith(array, {"name", "url"})) {
    result.failure = ParseFailure::WrongShape;
    return result;
  }
  for (qsizetype i = 0; i < array.size(); ++i) {
    if (cancelled(cancel, i)) return {ParseFailure::Cancelled, {}};
    if (auto station = radioStationOf(array.at(i).toObject())) result.stations.push_back(std::move(*station));
  }
  if (cancel != nullptr && cancel->load()) return {ParseFailure::Cancelled, {}};
  fileLikeTheEditor(result.stations);
  return result;
}

Parsed<TvStations> parseTvDirectory(const QByteArray& channelsJson, const QByteArray& streamsJson,
                                    const std::atomic_bool* cancel) {
  Parsed<TvStations> result;
  QJsonArray channels;
  QJsonArray streams;
  if ((result.failure = readArray(channelsJson, channels)) != ParseFailure::None) return result;
  if ((result.failure = readArray(streamsJson, streams)) != ParseFailure::None) return result;
  if (!hasEntriesWith(channels, {"id", "name"}) || !hasEntriesWith(streams, {"channel", "url"})) {
    result.failure = ParseFailure::WrongShape;
    return result;
  }

  QHash<QString, qsizetype> channelById;
  for (qsizetype i = 0; i < channels.size(); ++i) {
    if (cancelled(cancel, i)) return {ParseFailure::Cancelled, {}};
    const QString id = channels.at(i).toObject().value(QLatin1String("id")).toString();
    if (!id.isEmpty() && !channelById.contains(id)) channelById.insert(id, i);
  }
  QSet<QString> served;
  for (qsizetype i = 0; i < streams.size(); ++i) {
    if (cancelled(cancel, i)) return {ParseFailure::Cancelled, {}};
    const QJsonObject stream = streams.at(i).toObject();
    const QString id = stream.value(QLatin1String("channel")).toString();
    const auto channel = channelById.constFind(id);
    if (channel == channelById.constEnd() || served.contains(id) || streamReportedBroken(stream)) continue;
    const QString address = streamAddress(stream.value(QLatin1String("url")).toString());
    if (address.isEmpty()) continue;
    served.insert(id);
    if (auto station = tvStationOf(channels.at(channel.value()).toObject(), address))
      result.stations.push_back(std::move(*station));
  }
  if (cancel != nullptr && cancel->load()) return {ParseFailure::Cancelled, {}};
  fileLikeTheEditor(result.stations);
  return result;
}

TvDirectoryList tvDirectoryListKind(const QByteArray& json) {
  QJsonArray array;
  if (readArray(json, array) != ParseFailure::None || array.isEmpty()) return TvDirectoryList::Unknown;
  if (hasEntriesWith(array, {"channel", "url"})) return TvDirectoryList::Streams;
  if (hasEntriesWith(array, {"id", "name"})) return TvDirectoryList::Channels;
  return TvDirectoryList::Unknown;
}

}  // namespace catalogue::sources
