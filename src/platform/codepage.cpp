#include "codepage.h"

#include <array>
#include <iconv.h>

#include <QHash>

namespace platform {
namespace {

// One 8-bit code page as tables built once through iconv, the platform's converter, so that the
// hot paths (catalogue files of 100 000 stations) convert with a table lookup per byte.
class SingleByteTable {
 public:
  explicit SingleByteTable(const char* iconvName) {
    toUnicode_.fill(QChar(0xFFFD));
    iconv_t cd = iconv_open("UTF-16LE", iconvName);
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    for (int byte = 0; byte < 256; ++byte) {
      char in = static_cast<char>(byte);
      char16_t out[2] = {};
      char* inPtr = &in;
      size_t inLeft = 1;
      char* outPtr = reinterpret_cast<char*>(out);
      size_t outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && outLeft == 2) {
        toUnicode_[byte] = QChar(out[0]);
        fromUnicode_.insert(out[0], static_cast<char>(byte));
      }
    }
    iconv_close(cd);
  }

  QChar decode(unsigned char byte) const { return toUnicode_[byte]; }
  char encode(char16_t unit) const {
    if (unit < 0x80 && toUnicode_[unit].unicode() == unit) return static_cast<char>(unit);
    return fromUnicode_.value(unit, '?');
  }

 private:
  std::array<QChar, 256> toUnicode_;
  QHash<char16_t, char> fromUnicode_;
};

const SingleByteTable& tableFor(CodePage codePage) {
  static const SingleByteTable windows1250("CP1250");
  static const SingleByteTable iso8859_2("ISO-8859-2");
  return codePage == CodePage::Windows1250 ? windows1250 : iso8859_2;
}

}  // namespace

QByteArray fromUnicode(QStringView text, CodePage codePage) {
  if (codePage == CodePage::Utf8) return text.toUtf8();
  const SingleByteTable& table = tableFor(codePage);
  QByteArray result;
  result.resize(text.size());
  char* out = result.data();
  qsizetype length = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    // A surrogate pair is one character: one '?' for it.
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) ++i;
    out[length++] = table.encode(unit);
  }
  result.truncate(length);
  return result;
}

QString toUnicode(QByteArrayView bytes, CodePage codePage) {
  if (codePage == CodePage::Utf8) return QString::fromUtf8(bytes);
  const SingleByteTable& table = tableFor(codePage);
  QString result(bytes.size(), Qt::Uninitialized);
  QChar* out = result.data();
  for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = table.decode(static_cast<unsigned char>(bytes[i]));
  return result;
}

QString throughCodePage(QStringView text, CodePage codePage) {
  return toUnicode(fromUnicode(text, codePage), codePage);
}

}  // namespace platform
