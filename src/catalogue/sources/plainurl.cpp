#include "plainurl.h"

#include <array>
#include <string_view>

namespace catalogue::sources {
namespace {

bool isLowerAlpha(QChar c) { return c >= u'a' && c <= u'z'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Characters a path or a query keeps as they are ('?' only in a query). Square brackets, '%'
// and '#' are left to the full parse.
constexpr std::array<bool, 128> kKeptInPath = [] {
  std::array<bool, 128> kept{};
  for (char c : std::string_view("!$&'()*+,-./:;=@_~")) kept[std::size_t(c)] = true;
  for (char c = '0'; c <= '9'; ++c) kept[std::size_t(c)] = true;
  for (char c = 'a'; c <= 'z'; ++c) kept[std::size_t(c)] = kept[std::size_t(c - 'a' + 'A')] = true;
  return kept;
}();

bool keptInPath(QChar c, bool inQuery) {
  return c.unicode() < 128 ? kKeptInPath[c.unicode()] || (inQuery && c == u'?') : false;
}

// Labels of lower-case letters, digits and inner hyphens, joined by single dots; no label in
// the international ("xn--") form and no numeric last label, so never an address in numbers.
bool isPlainHost(QStringView host) {
  if (host.isEmpty()) return false;
  qsizetype labelStart = 0;
  for (qsizetype i = 0; i <= host.size(); ++i) {
    if (i < host.size() && host[i] != u'.') {
      if (!isLowerAlpha(host[i]) && !isDigit(host[i]) && host[i] != u'-') return false;
      continue;
    }
    const QStringView label = host.sliced(labelStart, i - labelStart);
    if (label.isEmpty() || label.front() == u'-' || label.back() == u'-' || label.startsWith(u"xn--")) return false;
    if (i == host.size() && isDigit(label.front())) return false;
    labelStart = i + 1;
  }
  return true;
}

// Decimal digits without a leading zero, 1 to 65535.
bool isPlainPort(QStringView port) {
  if (port.isEmpty() || port.size() > 5 || port.front() == u'0') return false;
  int value = 0;
  for (QChar c : port) {
    if (!isDigit(c)) return false;
    value = value * 10 + (c.unicode() - u'0');
  }
  return value <= 65535;
}

}  // namespace

std::optional<PlainUrl> plainUrl(QStringView text) {
  const qsizetype colon = text.indexOf(u':');
  if (colon <= 0 || !text.sliced(colon).startsWith(u"://")) return std::nullopt;
  const QStringView scheme = text.first(colon);
  for (QChar c : scheme)
    if (!isLowerAlpha(c)) return std::nullopt;
  const qsizetype authorityStart = colon + 3;
  qsizetype authorityEnd = authorityStart;
  while (authorityEnd < text.size() && text[authorityEnd] != u'/' && text[authorityEnd] != u'?') ++authorityEnd;
  const QStringView authority = text.sliced(authorityStart, authorityEnd - authorityStart);
  const qsizetype portColon = authority.indexOf(u':');
  if (!isPlainHost(portColon < 0 ? authority : authority.first(portColon))) return std::nullopt;
  if (portColon >= 0 && !isPlainPort(authority.sliced(portColon + 1))) return std::nullopt;
  qsizetype pathEnd = authorityEnd;
  bool inQuery = false;
  for (qsizetype i = authorityEnd; i < text.size(); ++i) {
    if (!inQuery && text[i] == u'?') {
      inQuery = true;
      pathEnd = i;
      continue;
    }
    if (!keptInPath(text[i], inQuery)) return std::nullopt;
  }
  if (!inQuery) pathEnd = text.size();
  return PlainUrl{scheme, text.sliced(authorityEnd, pathEnd - authorityEnd)};
}

}  // namespace catalogue::sources
