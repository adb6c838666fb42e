#include "feedtext.h"

#include <array>
#include <vector>

#include "platform/codepage.h"

namespace catalogue {
namespace {

using platform::CodePage;

// Built once through the platform's converters; afterwards every byte is one table lookup, which
// keeps loading 100 000 stations fast.
struct FeedCodePageTables {
  std::array<char16_t, 256> decode;      // file byte -> character as the program holds it
  std::vector<unsigned char> encode;     // UTF-16 unit -> file byte; '?' where either page lacks it

  FeedCodePageTables() : encode(0x10000, '?') {
    QByteArray bytes(256, Qt::Uninitialized);
    for (int byte = 0; byte < 256; ++byte) bytes[byte] = static_cast<char>(byte);
    const QString unicode = platform::toUnicode(bytes, CodePage::Iso8859_2);
    const QString held = platform::throughCodePage(unicode, CodePage::Windows1250);
    for (int byte = 0; byte < 256; ++byte) {
      decode[byte] = held[byte].unicode();
      if (held[byte] == unicode[byte]) encode[held[byte].unicode()] = static_cast<unsigned char>(byte);
    }
  }
};

const FeedCodePageTables& tables() {
  static const FeedCodePageTables instance;
  return instance;
}

bool isEdgeBlank(QChar c) { return c.unicode() <= 32; }

}  // namespace

namespace {

// Plain loops the compiler turns into vector code: most catalogue text is ASCII, which both code
// pages share, so it is checked and copied many bytes at a time.
bool isAscii(const unsigned char* bytes, qsizetype size) {
  unsigned char any = 0;
  for (qsizetype i = 0; i < size; ++i) any |= bytes[i];
  return any < 0x80;
}

bool isAscii(const char16_t* units, qsizetype size) {
  char16_t any = 0;
  for (qsizetype i = 0; i < size; ++i) any |= units[i];
  return any < 0x80;
}

}  // namespace

QString fromFeedCodePage(QByteArrayView bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  if (isAscii(in, bytes.size())) return QString::fromLatin1(bytes);
  const auto& decode = tables().decode;
  QString text(bytes.size(), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = decode[in[i]];
  return text;
}

char* toFeedCodePage(QStringView text, char* out) {
  const char16_t* in = text.utf16();
  const qsizetype size = text.size();
  if (isAscii(in, size)) {
    for (qsizetype i = 0; i < size; ++i) out[i] = static_cast<char>(in[i]);
    return out + size;
  }
  const unsigned char* encode = tables().encode.data();
  const char16_t* end = in + size;
  while (in != end) {
    const char16_t unit = *in++;
    if (QChar::isHighSurrogate(unit) && in != end && QChar::isLowSurrogate(*in)) ++in;
    *out++ = static_cast<char>(unit < 0x80 ? unit : encode[unit]);
  }
  return out;
}

void appendToFeedCodePage(QStringView text, QByteArray& out) {
  const qsizetype start = out.size();
  out.resize(start + text.size());
  out.truncate(toFeedCodePage(text, out.data() + start) - out.constData());
}

qsizetype firstUnrepresentable(QStringView text) {
  const auto& encode = tables().encode;
  for (qsizetype i = 0; i < text.size(); ++i)
    if (text[i] != u'?' && encode[text[i].unicode()] == '?') return i;
  return -1;
}

FeedTextFault feedTextFault(QStringView text) {
  if (text == u"-") return FeedTextFault::Dash;
  if (!text.isEmpty() && (isEdgeBlank(text.front()) || isEdgeBlank(text.back()))) return FeedTextFault::EdgeBlank;
  const auto& encode = tables().encode;
  for (QChar c : text) {
    if (c == u'\t') return FeedTextFault::Tab;
    if (c == u'\r' || c == u'\n') return FeedTextFault::LineBreak;
    if (c != u'?' && encode[c.unicode()] == '?') return FeedTextFault::Unrepresentable;
  }
  return FeedTextFault::None;
}

}  // namespace catalogue
