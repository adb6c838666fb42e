#include "querycoding.h"

namespace search {

QByteArray ToCodePage(QStringView text, platform::CodePage codePage) {
  return platform::fromUnicode(text, codePage);
}

std::optional<QByteArray> EncodeQuery(QByteArrayView text) {
  const auto isBlank = [](char byte) { return static_cast<unsigned char>(byte) <= 32; };
  qsizetype first = 0;
  qsizetype last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  if (first == last) return std::nullopt;

  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  QByteArray encoded;
  encoded.reserve((last - first) * 3);
  for (qsizetype i = first; i < last; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
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
