#include "stationrules.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/flags.h"
#include "catalogue/sources/plainurl.h"

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

// The keywords by their text, for a look-up without building a text.
class KeywordTable {
 public:
  KeywordTable() {
    texts_.reserve(std::size(kKeywords));
    for (const Keyword& keyword : kKeywords) texts_.push_back(QString::fromUtf8(keyword.word));
    for (std::size_t i = 0; i < texts_.size(); ++i)
      bits_.emplace(std::u16string_view(QStringView(texts_[i]).utf16(), std::size_t(texts_[i].size())), kKeywords[i].bits);
  }
  quint8 bitsOf(QStringView word) const {
    const auto found = bits_.find(std::u16string_view(word.utf16(), std::size_t(word.size())));
    return found != bits_.end() ? found->second : 0;
  }

 private:
  std::vector<QString> texts_;
  std::unordered_map<std::u16string_view, quint8> bits_;
};

quint8 bitsOf(QStringView word) {
  static const KeywordTable table;
  return table.bitsOf(word);
}

bool isAscii(QStringView text) {
  return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The bits of a lower-case tag and of every word in it: the runs of letters, digits and
// underscores.
quint8 bitsOfTag(QStringView tag) {
  quint8 bits = bitsOf(tag);
  if (!isAscii(tag)) {
    static const QRegularExpression separators(QStringLiteral("[^\\w]+"),
                                                  QRegularExpression::UseUnicodePropertiesOption);
    for (const QString& word : tag.toString().split(separators, Qt::SkipEmptyParts)) bits |= bitsOf(word);
    return bits;
  }
  // Plain ASCII, as most tags are: the same split without the expression engine.
  const auto isWordCharacter = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
  for (qsizetype at = 0; at < tag.size();) {
    while (at < tag.size() && !isWordCharacter(tag[at])) ++at;
    const qsizetype start = at;
    while (at < tag.size() && isWordCharacter(tag[at])) ++at;
    if (at > start) bits |= bitsOf(tag.sliced(start, at - start));
  }
  return bits;
}

// A text trimmed and in lower case; an ASCII text of usual length is lowered into `buffer`.
template <std::size_t N>
QStringView lowered(QStringView text, std::array<char16_t, N>& buffer, QString& held) {
  text = text.trimmed();
  if (std::size_t(text.size()) > N || !isAscii(text)) {
    held = text.toString().toLower();
    return held;
  }
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    buffer[i] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
  }
  return QStringView(buffer.data(), text.size());
}

// The file type at the end of a path ("mp3" of "/live/radio.mp3"); empty when the last part has none.
QStringView extensionOf(QStringView path) {
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0) return {};
  return path.sliced(dot + 1);
}

// The scheme and the file type of an address, in lower case, read once; a plain address is read
// in place.
class AddressParts {
 public:
  explicit AddressParts(QStringView address) {
    if (const std::optional<PlainUrl> plain = plainUrl(address)) {
      scheme = plain->scheme;  // lower case already
      extension = lowered(extensionOf(plain->path), buffer_, held_);
      return;
    }
    const QUrl url(address.toString());
    heldScheme_ = url.scheme().toLower();
    heldPath_ = url.path().toLower();
    scheme = heldScheme_;
    extension = extensionOf(heldPath_);
  }
  AddressParts(const AddressParts&) = delete;
  AddressParts& operator=(const AddressParts&) = delete;
  QStringView scheme;
  QStringView extension;

 private:
  std::array<char16_t, 16> buffer_;
  QString held_;
  QString heldScheme_;
  QString heldPath_;
};

bool isOneOf(QStringView value, std::initializer_list<const char*> options) {
  for (const char* option : options)
    if (value == QLatin1String(option)) return true;
  return false;
}

}  // namespace

quint8 categoriesFromKeywords(std::span<const QStringView> keywords, Medium medium) {
  quint8 bits = 0;
  std::array<char16_t, 64> buffer;
  QString held;
  for (QStringView keyword : keywords) {
    const QStringView tag = lowered(keyword, buffer, held);
    if (!tag.isEmpty()) bits |= bitsOfTag(tag);
  }
  if (medium == Medium::Radio) bits &= quint8(~kAdult);
  return bits;
}

quint8 categoriesFromKeywords(const QStringList& keywords, Medium medium) {
  const std::vector<QStringView> views(keywords.begin(), keywords.end());
  return categoriesFromKeywords(views, medium);
}

quint8 diasporaCategory(std::span<const QStringView> languages, QStringView countryCode) {
  if (countryCode.compare(QLatin1String("PL"), Qt::CaseInsensitive) == 0) return 0;
  std::array<char16_t, 16> buffer;
  QString held;
  for (QStringView language : languages)
    if (isOneOf(lowered(language, buffer, held), {"polish", "polski", "pl", "pol"})) return kDiaspora;
  return 0;
}

quint8 diasporaCategory(const QStringList& languages, QStringView countryCode) {
  const std::vector<QStringView> views(languages.begin(), languages.end());
  return diasporaCategory(views, countryCode);
}

quint8 radioPlayerKind(QStringView codec, QStringView address, bool httpLiveStreaming) {
  using namespace catalogue::radioplayer;
  const QString name = codec.trimmed().toString().toLower();
  const AddressParts parts(address);
  const QStringView scheme = parts.scheme;
  const QStringView extension = parts.extension;
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
  const AddressParts parts(address);
  const QStringView scheme = parts.scheme;
  const QStringView extension = parts.extension;
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
