#include "stationrules.h"

#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <limits>

#include "catalogue/flags.h"

namespace catalogue::sources {
namespace {

using namespace catalogue::category;

struct Keyword {
  const char* word;
  quint8 bits;
};

// Whole tags or single words of a tag, lower case.
const Keyword kKeywords[] = {
    {"news", kNews}, {"information", kNews}, {"informacje", kNews}, {"wiadomości", kNews},
    {"nachrichten", kNews}, {"noticias", kNews}, {"actualités", kNews}, {"notizie", kNews},
    {"weather", kNews}, {"business", kNews}, {"politics", kNews}, {"legislative", kNews},
    {"current affairs", kNews},
    {"entertainment", kEntertainment}, {"rozrywka", kEntertainment}, {"comedy", kEntertainment},
    {"humor", kEntertainment}, {"humour", kEntertainment}, {"series", kEntertainment},
    {"movies", kEntertainment}, {"kids", kEntertainment}, {"animation", kEntertainment},
    {"family", kEntertainment}, {"lifestyle", kEntertainment},
    {"music", kMusic}, {"musik", kMusic}, {"musica", kMusic}, {"música", kMusic}, {"muzyka", kMusic},
    {"pop", kMusic}, {"rock", kMusic}, {"jazz", kMusic}, {"classical", kMusic}, {"dance", kMusic},
    {"hits", kMusic}, {"oldies", kMusic}, {"country", kMusic}, {"electronic", kMusic}, {"metal", kMusic},
    {"hip hop", kMusic}, {"hiphop", kMusic}, {"rap", kMusic}, {"rnb", kMusic}, {"soul", kMusic},
    {"blues", kMusic}, {"reggae", kMusic}, {"techno", kMusic}, {"house", kMusic}, {"trance", kMusic},
    {"disco", kMusic}, {"folk", kMusic}, {"schlager", kMusic}, {"chillout", kMusic}, {"lounge", kMusic},
    {"ambient", kMusic}, {"top 40", kMusic}, {"indie", kMusic}, {"punk", kMusic}, {"opera", kMusic},
    {"salsa", kMusic}, {"edm", kMusic}, {"60s", kMusic}, {"70s", kMusic}, {"80s", kMusic}, {"90s", kMusic},
    {"religious", kReligious}, {"religion", kReligious}, {"religijne", kReligious}, {"christian", kReligious},
    {"catholic", kReligious}, {"katolickie", kReligious}, {"gospel", kReligious}, {"church", kReligious},
    {"worship", kReligious}, {"bible", kReligious}, {"islam", kReligious}, {"islamic", kReligious},
    {"quran", kReligious}, {"orthodox", kReligious}, {"jewish", kReligious},
    {"xxx", kAdult}, {"adult", kAdult}, {"erotic", kAdult}, {"erotyczne", kAdult}, {"nsfw", kAdult},
};

quint8 bitsOf(const QString& word) {
  static const QHash<QString, quint8> bitsByWord = [] {
    QHash<QString, quint8> built;
    for (const Keyword& keyword : kKeywords) built.insert(QString::fromUtf8(keyword.word), keyword.bits);
    return built;
  }();
  return bitsByWord.value(word, 0);
}

QString extensionOf(QStringView address) {
  const QString path = QUrl(address.toString()).path().toLower();
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0) return {};
  return path.mid(dot + 1);
}

QString schemeOf(QStringView address) { return QUrl(address.toString()).scheme().toLower(); }

bool isOneOf(const QString& value, std::initializer_list<const char*> options) {
  for (const char* option : options)
    if (value == QLatin1String(option)) return true;
  return false;
}

}  // namespace

quint8 categoriesFromKeywords(const QStringList& keywords, Medium medium) {
  static const QRegularExpression separators(QStringLiteral("[^\\w]+"),
                                                QRegularExpression::UseUnicodePropertiesOption);
  quint8 bits = 0;
  for (const QString& keyword : keywords) {
    const QString tag = keyword.trimmed().toLower();
    if (tag.isEmpty()) continue;
    bits |= bitsOf(tag);
    for (const QString& word : tag.split(separators, Qt::SkipEmptyParts)) bits |= bitsOf(word);
  }
  if (medium == Medium::Radio) bits &= quint8(~kAdult);
  return bits;
}

quint8 diasporaCategory(const QStringList& languages, QStringView countryCode) {
  if (countryCode.compare(QLatin1String("PL"), Qt::CaseInsensitive) == 0) return 0;
  for (const QString& language : languages) {
    const QString name = language.trimmed().toLower();
    if (isOneOf(name, {"polish", "polski", "pl", "pol"})) return kDiaspora;
  }
  return 0;
}

quint8 radioPlayerKind(QStringView codec, QStringView address, bool httpLiveStreaming) {
  using namespace catalogue::radioplayer;
  const QString name = codec.trimmed().toString().toLower();
  const QString scheme = schemeOf(address);
  const QString extension = extensionOf(address);
  if (isOneOf(extension, {"ra", "rm", "ram"}) || scheme == QLatin1String("pnm") || name.startsWith(QLatin1String("real")))
    return kRealPlayer;
  if (name.startsWith(QLatin1String("wma")) || scheme.startsWith(QLatin1String("mms")) ||
      isOneOf(extension, {"asx", "asf", "wma", "wax"}))
    return kWindowsMedia;
  if (isOneOf(name, {"ogg", "vorbis", "opus", "flac"}) || isOneOf(extension, {"ogg", "oga", "opus"}))
    return kOggVorbis;
  if (httpLiveStreaming || isOneOf(extension, {"m3u8", "mov"}) || isOneOf(name, {"alac"})) return kQuickTime;
  return kShoutcast;
}

quint8 tvPlayerKind(QStringView address) {
  using namespace catalogue::tvplayer;
  const QString scheme = schemeOf(address);
  const QString extension = extensionOf(address);
  if (isOneOf(extension, {"rm", "ram", "rmvb"}) || scheme == QLatin1String("pnm")) return kRealPlayer;
  if (scheme.startsWith(QLatin1String("mms")) || isOneOf(extension, {"asx", "asf", "wmv"})) return kWindowsMedia;
  if (extension == QLatin1String("nsv")) return kNullsoft;
  return kOther;
}

qint32 qualityFromKbps(qint64 kbps) {
  constexpr qint64 kMax = std::numeric_limits<qint32>::max() / 1000;
  if (kbps <= 0) return 0;
  return qint32(std::min(kbps, kMax) * 1000);
}

}  // namespace catalogue::sources
