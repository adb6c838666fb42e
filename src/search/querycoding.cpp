#include "querycoding.h"

#include "platform/texttrim.h"

namespace search {

QByteArray ToCodePage(QStringView text, platform::CodePage codePage) {
  return platform::fromUnicode(text, codePage);
}

std::optional<QByteArray> EncodeQuery(QByteArrayView text) {
  const QByteArrayView query = platform::trimControls(text);
  if (query.isEmpty()) return std::nullopt;

  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  QByteArray encoded;
  encoded.reserve(query.size() * 3);
  for (const char c : query) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == ' ') {
      encoded += '+';
    } else if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
               byte == '_') {
      encoded += static_cast<char>(byte);
    } else {
      encoded += '%';
      encoded += kHexDigits[byte >> 4];
      encoded += kHexDigits[byte & 0x0F];
    }
  }
  return encoded;
}

}  // namespace search
