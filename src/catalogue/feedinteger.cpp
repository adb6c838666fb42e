#include "feedinteger.h"

#include <QByteArray>
#include <charconv>

namespace catalogue {
namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<qint32> parseHex(QByteArrayView digits) {
  if (digits.isEmpty()) return std::nullopt;
  quint32 value = 0;
  for (char c : digits) {
    const int digit = hexDigit(c);
    if (digit < 0 || value > 0x0FFFFFFFu) return std::nullopt;
    value = value << 4 | static_cast<quint32>(digit);
  }
  // Eight digits fill all 32 bits, the sign bit included.
  return static_cast<qint32>(value);
}

std::optional<qint32> parseDecimal(QByteArrayView digits, bool negative) {
  if (digits.isEmpty()) return std::nullopt;
  const quint64 limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
  quint64 value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<quint64>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return static_cast<qint32>(negative ? -static_cast<qint64>(value) : static_cast<qint64>(value));
}

}  // namespace

std::optional<qint32> parseFeedInteger(QByteArrayView text) {
  if (text.isEmpty()) return std::nullopt;
  switch (text.front()) {
    case '$':
    case 'x':
    case 'X':
      return parseHex(text.sliced(1));
    case '0':
      if (text.size() > 1 && (text[1] == 'x' || text[1] == 'X')) return parseHex(text.sliced(2));
      return parseDecimal(text, false);
    case '-':
      return parseDecimal(text.sliced(1), true);
    case '+':
      return parseDecimal(text.sliced(1), false);
    default:
      return parseDecimal(text, false);
  }
}

void appendFeedInteger(qint64 value, QByteArray& out) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr - digits);
}

}  // namespace catalogue
