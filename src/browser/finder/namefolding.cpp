#include "namefolding.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace browser {
namespace {

// NFKD splits accented letters and ligatures into base letters and marks; the marks go; Latin-ASCII
// gives the letters with strokes and bars, which have no decomposition, their plain form.
constexpr char kRules[] = "NFKD; [:Nonspacing Mark:] Remove; Latin-ASCII";

}  // namespace

NameFolding::NameFolding() {
  UErrorCode status = U_ZERO_ERROR;
  transliterator_.reset(icu::Transliterator::createInstance(kRules, UTRANS_FORWARD, status));
  if (U_FAILURE(status)) transliterator_.reset();
}

NameFolding::~NameFolding() = default;

QString NameFolding::fold(QStringView text) {
  QString out;
  foldInto(text, out);
  return out;
}

void NameFolding::foldInto(QStringView text, QString& out) {
  out.reserve(out.size() + text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < 0x80) {
      // Most names are plain ASCII: no look-up for them. Tabs and line ends would join two names
      // in the finder's text, so every control character counts as a blank.
      if (c >= u'A' && c <= u'Z') out += QChar(c + (u'a' - u'A'));
      else out += QChar(c < 0x20 || c == 0x7f ? u' ' : c);
      continue;
    }
    char32_t codePoint = c;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
      codePoint = QChar::surrogateToUcs4(c, text[++i].unicode());
    out += foldOf(codePoint);
  }
}

const QString& NameFolding::foldOf(char32_t codePoint) {
  const auto known = folded_.constFind(codePoint);
  if (known != folded_.cend()) return *known;
  const QString original = QString::fromUcs4(&codePoint, 1);
  QString result = original;
  // Without the transform (an ICU without its data) only letter case is ignored.
  if (transliterator_ != nullptr) {
    icu::UnicodeString text(reinterpret_cast<const UChar*>(original.utf16()), static_cast<int32_t>(original.size()));
    transliterator_->transliterate(text);
    result = QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
  }
  result = result.toCaseFolded();
  // Blanks of every width compare as one.
  for (QChar& c : result)
    if (c.isSpace() || c.category() == QChar::Other_Control) c = QLatin1Char(' ');
  return *folded_.insert(codePoint, result);
}

}  // namespace browser
