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

QString fromFeedCodePage(QByteArrayView bytes) {
  const auto& decode = tables().decode;
  QString text(bytes.size(), Qt::Uninitialized);
  char16_t* out = reinterpret_cast<char16_t*>(text.data());
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  for (qsizetype i = 0; i < bytes.size(); ++i) out[i] = decode[in[i]];
  return text;
}

void appendToFeedCodePage(QStringView text, QByteArray& out) {
  const auto& encode = tables().encode;
  const qsizetype start = out.size();
  out.resize(start + text.size());
  char* dest = out.data() + start;
  qsizetype length = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i].unicode();
    if (unit < 0x80) {
      dest[length++] = static_cast<char>(unit);
      continue;
    }
    if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) ++i;
    dest[length++] = static_cast<char>(encode[unit]);
  }
  out.truncate(start + length);
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
