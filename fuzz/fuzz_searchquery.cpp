// The search panel's query coding on arbitrary text. Besides crashes it checks that the encoded
// query decodes to exactly the trimmed bytes, uses only the characters an address allows, and is
// missing only when nothing but blanks was typed; and that a conversion into an 8-bit code page
// gives one byte per character, each the character itself or '?'.
#include <QStringDecoder>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/codepage.h"
#include "search/querycoding.h"

namespace {

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void checkEncoding(QByteArrayView bytes) {
  qsizetype first = 0;
  qsizetype last = bytes.size();
  while (first < last && static_cast<unsigned char>(bytes[first]) <= 32) ++first;
  while (last > first && static_cast<unsigned char>(bytes[last - 1]) <= 32) --last;
  const std::optional<QByteArray> encoded = search::EncodeQuery(bytes);
  if (!encoded) {
    if (first != last) fail("a query with text in it was refused");
    return;
  }
  if (first == last) fail("a query of blanks only was encoded");
  QByteArray decoded;
  for (qsizetype i = 0; i < encoded->size(); ++i) {
    const char c = encoded->at(i);
    if (c == '+') {
      decoded += ' ';
    } else if (c == '%') {
      if (i + 2 >= encoded->size()) fail("a cut-off escape");
      const int high = hexValue(encoded->at(i + 1));
      const int low = hexValue(encoded->at(i + 2));
      if (high < 0 || low < 0) fail("an escape that is not two upper-case hex digits");
      decoded += char(high * 16 + low);
      i += 2;
    } else if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') {
      decoded += c;
    } else {
      fail("a character an address does not allow");
    }
  }
  if (decoded != bytes.sliced(first, last - first)) fail("the encoded query does not decode to the query");
}

// The text as the user typed it: the input read as UTF-16, lone surrogates included.
QString typedText(const uint8_t* data, size_t size) {
  QString text(qsizetype(size / 2), Qt::Uninitialized);
  for (size_t i = 0; i + 1 < size; i += 2) text[qsizetype(i / 2)] = QChar(char16_t(data[i] | data[i + 1] << 8));
  return text;
}

void checkCodePage(const QString& text, platform::CodePage codePage) {
  const QByteArray bytes = search::ToCodePage(text, codePage);
  qsizetype characters = 0;
  for (qsizetype i = 0; i < text.size(); ++i, ++characters)
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
  if (bytes.size() != characters) fail("not one byte per character");
  const QString back = platform::toUnicode(bytes, codePage);
  if (back.size() != bytes.size()) fail("the code page does not map every byte it wrote");
  for (qsizetype i = 0, at = 0; i < text.size(); ++i, ++at) {
    const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    if (back[at] != QLatin1Char('?') && (pair || back[at] != text[i])) fail("a character changed into another");
    if (pair) ++i;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  checkEncoding(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
  const QString text = typedText(data, size);
  checkCodePage(text, platform::CodePage::Windows1250);
  checkCodePage(text, platform::CodePage::Iso8859_2);
  // UTF-8 has room for every character: the query bytes decode to the text, lone surrogates aside.
  const QByteArray utf8 = search::ToCodePage(text, platform::CodePage::Utf8);
  checkEncoding(utf8);
  // A leading U+FEFF is a character of the query here, not a byte-order mark.
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
  if (text.isValidUtf16() && QString(decoder.decode(utf8)) != text) fail("UTF-8 does not give the text back");
  return 0;
}
