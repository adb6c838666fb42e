#include "textrules.h"

#include <QUrl>
#include <algorithm>

#include "catalogue/feedtext.h"
#include "catalogue/pageaddress.h"
#include "catalogue/sources/plainurl.h"

namespace catalogue::sources {
namespace {

// Whether both code pages have every character: the catalogue's own tables, made from the
// platform's converters, answer it without converting.
bool representable(QStringView text) { return catalogue::firstUnrepresentable(text) < 0; }

// Polish-style romanisation of Russian, Ukrainian, Belarusian, Bulgarian and Serbian letters
// (lower case; capitals are looked up through their lower case).
const char16_t* cyrillicSpelling(char32_t c) {
  switch (c) {
    case U'а': return u"a";   case U'б': return u"b";  case U'в': return u"w";   case U'г': return u"g";
    case U'ґ': return u"g";   case U'д': return u"d";  case U'е': return u"e";   case U'ё': return u"jo";
    case U'є': return u"je";  case U'ж': return u"ż";  case U'з': return u"z";   case U'и': return u"i";
    case U'і': return u"i";   case U'ї': return u"ji"; case U'й': return u"j";   case U'к': return u"k";
    case U'л': return u"ł";   case U'м': return u"m";  case U'н': return u"n";   case U'о': return u"o";
    case U'п': return u"p";   case U'р': return u"r";  case U'с': return u"s";   case U'т': return u"t";
    case U'у': return u"u";   case U'ў': return u"u";  case U'ф': return u"f";   case U'х': return u"ch";
    case U'ц': return u"c";   case U'ч': return u"cz"; case U'ш': return u"sz";  case U'щ': return u"szcz";
    case U'ъ': return u"";    case U'ы': return u"y";  case U'ь': return u"";    case U'э': return u"e";
    case U'ю': return u"ju";  case U'я': return u"ja"; case U'ђ': return u"dź";  case U'ј': return u"j";
    case U'љ': return u"lj";  case U'њ': return u"nj"; case U'ћ': return u"ć";   case U'џ': return u"dż";
    case U'ѓ': return u"gj";  case U'ќ': return u"kj"; case U'ѕ': return u"dz";
    case U'α': return u"a";   case U'β': return u"b";  case U'γ': return u"g";   case U'δ': return u"d";
    case U'ε': return u"e";   case U'ζ': return u"z";  case U'η': return u"i";   case U'θ': return u"th";
    case U'ι': return u"i";   case U'κ': return u"k";  case U'λ': return u"l";   case U'μ': return u"m";
    case U'ν': return u"n";   case U'ξ': return u"ks"; case U'ο': return u"o";   case U'π': return u"p";
    case U'ρ': return u"r";   case U'σ': return u"s";  case U'ς': return u"s";   case U'τ': return u"t";
    case U'υ': return u"y";   case U'φ': return u"f";  case U'χ': return u"ch";  case U'ψ': return u"ps";
    case U'ω': return u"o";
    default: return nullptr;
  }
}

// Typographic marks the file's code page lacks, as their plain counterparts.
const char16_t* plainPunctuation(char32_t c) {
  switch (c) {
    case U'‘': case U'’': case U'‚': case U'′': return u"'";
    case U'“': case U'”': case U'„': case U'″': case U'«': case U'»': return u"\"";
    case U'–': case U'—': case U'−': case U'•': return u"-";
    case U'…': return u"...";
    case U'€': return u"EUR";
    default: return nullptr;
  }
}

QString spelledLetter(QChar letter) {
  if (representable(QStringView(&letter, 1))) return QString(letter);
  const QChar lower = letter.toLower();
  if (const char16_t* spelling = cyrillicSpelling(lower.unicode())) {
    QString text = QString::fromUtf16(spelling);
    if (lower != letter && !text.isEmpty()) text[0] = text.at(0).toUpper();
    return text;
  }
  return {};
}

QString spelledOut(char32_t c) {
  const QString single = QString::fromUcs4(&c, 1);
  if (representable(single)) return single;
  if (const char16_t* plain = plainPunctuation(c)) return QString::fromUtf16(plain);
  // Accents the code pages lack: keep the letter, drop the mark.
  QString kept;
  for (QChar part : single.normalized(QString::NormalizationForm_KD))
    if (!part.isMark()) kept += spelledLetter(part);
  return kept;
}

bool isNetworkScheme(QStringView scheme) {
  static const char* const schemes[] = {"http", "https", "mms", "mmsh", "mmst", "mmsu", "rtsp", "rtsps",
                                        "rtmp", "rtmps", "rtmpt", "rtp", "udp", "srt", "pnm"};
  for (const char* known : schemes)
    if (scheme == QLatin1String(known)) return true;
  return false;
}

}  // namespace

namespace {

// A name written unit by unit: blanks and control characters folded to single spaces as
// simplified() folds them, and whether a letter or a digit was kept.
class SafeNameWriter {
 public:
  explicit SafeNameWriter(qsizetype expected) : line_(std::max<qsizetype>(expected, 8), Qt::Uninitialized) {
    data_ = reinterpret_cast<char16_t*>(line_.data());
  }

  // A unit that both code pages have, or a blank.
  void add(QChar c) {
    const char16_t unit = c.unicode();
    bool blank;
    if (unit < 0x80) {
      blank = unit <= u' ' || unit == 0x7F;
      readable_ = readable_ || (!blank && (unit | 0x20) >= u'a' && (unit | 0x20) <= u'z') || (unit >= u'0' && unit <= u'9');
    } else {
      blank = isBlank(c);
      readable_ = readable_ || (!blank && c.isLetterOrNumber());
    }
    if (blank) {
      blankPending_ = size_ > 0;
      return;
    }
    if (blankPending_) put(u' ');
    blankPending_ = false;
    put(unit);
  }

  static bool isBlank(QChar c) { return c.category() == QChar::Other_Control || c.isSpace(); }

  QString take() {
    if (!readable_) return {};
    line_.truncate(size_);
    return std::move(line_);
  }

 private:
  void put(char16_t unit) {
    if (size_ == line_.size()) {
      line_.resize(2 * size_);
      data_ = reinterpret_cast<char16_t*>(line_.data());
    }
    data_[size_++] = unit;
  }

  QString line_;
  char16_t* data_ = nullptr;
  qsizetype size_ = 0;
  bool blankPending_ = false;
  bool readable_ = false;
};

}  // namespace

QString feedSafeName(QStringView text) {
  SafeNameWriter name(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c.unicode() < 0x80 || (!c.isSurrogate() && (SafeNameWriter::isBlank(c) || representable(QStringView(&c, 1))))) {
      name.add(c);
      continue;
    }
    // One code point, a lone half of a pair counting as the replacement character.
    char32_t point = QChar::ReplacementCharacter;
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
      point = QChar::surrogateToUcs4(c, text[++i]);
    else if (!c.isSurrogate())
      point = c.unicode();
    for (const QChar part : spelledOut(point)) name.add(part);
  }
  return name.take();
}

QString streamAddress(QStringView text) {
  const QStringView address = text.trimmed();
  if (const std::optional<PlainUrl> plain = plainUrl(address); plain && isNetworkScheme(plain->scheme))
    return address.toString();
  const QString trimmed = address.toString();
  if (trimmed.isEmpty()) return {};
  const QUrl url(trimmed, QUrl::TolerantMode);
  if (!url.isValid() || url.isRelative() || url.host().isEmpty()) return {};
  if (!isNetworkScheme(url.scheme().toLower())) return {};
  return QString::fromLatin1(url.toEncoded());
}

QString streamAddress(const QString& text) {
  if (const std::optional<PlainUrl> plain = plainUrl(text); plain && isNetworkScheme(plain->scheme)) return text;
  return streamAddress(QStringView(text));
}

bool isStreamAddress(QStringView text) {
  if (const std::optional<PlainUrl> plain = plainUrl(text.trimmed()); plain && isNetworkScheme(plain->scheme)) return true;
  return !streamAddress(text).isEmpty();
}

QString homePageText(QStringView text) {
  const QStringView page = text.trimmed();
  if (const std::optional<PlainUrl> plain = plainUrl(page); plain && (plain->scheme == u"http" || plain->scheme == u"https"))
    return (plain->scheme == u"http" ? page.sliced(7) : page).toString();
  const QString trimmed = page.toString();
  if (trimmed.isEmpty()) return {};
  const QUrl url = QUrl::fromUserInput(trimmed);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
    return {};
  QString address = QString::fromLatin1(url.toEncoded());
  if (address.startsWith(QLatin1String("http://"))) address.remove(0, 7);
  return address;
}

QString nameFromAddresses(QStringView homePage, QStringView stream) {
  for (QStringView address : {homePage, stream}) {
    if (address.isEmpty()) continue;
    const QUrl url = QUrl::fromUserInput(catalogue::pageAddress(address));
    QString host = url.host();
    if (host.startsWith(QLatin1String("www."))) host.remove(0, 4);
    // An international host is shown in its own letters, which the catalogue file may lack.
    const QString name = feedSafeName(host);
    if (!name.isEmpty()) return name;
  }
  return {};
}

}  // namespace catalogue::sources
