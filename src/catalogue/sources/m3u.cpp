#include <QRegularExpression>

#include "catalogue/sources/playlist.h"
#include "catalogue/sources/textrules.h"

namespace catalogue::sources {
namespace {

// "#EXTINF:<duration> key="value" key2=value2,Title": attribute values may hold blanks and
// commas, so the title starts at the first comma outside quotes.
void readExtInf(QStringView info, PlaylistEntry& entry) {
  qsizetype at = 0;
  const qsizetype size = info.size();
  const auto skipBlanks = [&] {
    while (at < size && info[at].isSpace()) ++at;
  };
  while (at < size && info[at] != QLatin1Char(',') && !info[at].isSpace()) ++at;  // the duration
  for (;;) {
    skipBlanks();
    if (at >= size) return;
    if (info[at] == QLatin1Char(',')) {
      entry.title = info.mid(at + 1).trimmed().toString();
      return;
    }
    const qsizetype keyStart = at;
    while (at < size && info[at] != QLatin1Char('=') && info[at] != QLatin1Char(',') && !info[at].isSpace()) ++at;
    const QString key = info.mid(keyStart, at - keyStart).toString().toLower();
    if (at >= size || info[at] != QLatin1Char('=')) continue;  // a bare word: nothing to keep
    ++at;
    QString value;
    if (at < size && info[at] == QLatin1Char('"')) {
      const qsizetype close = info.indexOf(QLatin1Char('"'), at + 1);
      const qsizetype end = close < 0 ? size : close;
      value = info.mid(at + 1, end - at - 1).toString();
      at = close < 0 ? size : close + 1;
    } else {
      const qsizetype valueStart = at;
      while (at < size && info[at] != QLatin1Char(',') && !info[at].isSpace()) ++at;
      value = info.mid(valueStart, at - valueStart).toString();
    }
    if (!key.isEmpty()) entry.attributes.insert(key, value.trimmed());
  }
}

QString attributeValue(const QString& value) {
  // M3U has no escape for a quote inside a value.
  QString clean = value;
  clean.replace(QLatin1Char('"'), QLatin1Char('\''));
  return clean;
}

}  // namespace

Playlist parseM3u(const QString& text) {
  static const QRegularExpression lineBreaks(QStringLiteral("\r\n|\r|\n"));
  Playlist playlist;
  PlaylistEntry pending;
  QString group;  // "#EXTGRP:" applies to the entry that follows
  for (const QString& rawLine : text.split(lineBreaks)) {
    const QString line = rawLine.trimmed();
    if (line.isEmpty()) continue;
    if (line.startsWith(QLatin1Char('#'))) {
      if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
        pending = {};
        readExtInf(QStringView(line).mid(8), pending);
      } else if (line.startsWith(QLatin1String("#EXTGRP:"), Qt::CaseInsensitive)) {
        group = line.mid(8).trimmed();
      }
      continue;
    }
    if (!streamAddress(line).isEmpty()) {
      pending.address = line;
      if (!group.isEmpty() && !pending.attributes.contains(kRegionAttribute))
        pending.attributes.insert(kRegionAttribute, group);
      playlist.push_back(std::move(pending));
    }
    pending = {};
    group.clear();
  }
  return playlist;
}

QString writeM3u(const Playlist& playlist) {
  // The attributes players know come first, our own after them, in a fixed order.
  static const QString order[] = {kNameAttribute,     kRegionAttribute,      kCountryAttribute, kLanguageAttribute,
                                  kHomePageAttribute, kScheduleAttribute,    kKindAttribute,    kCategoriesAttribute,
                                  kBitRateAttribute,  kLiveAttribute};
  QString text = QStringLiteral("#EXTM3U\n");
  for (const PlaylistEntry& entry : playlist) {
    text += QStringLiteral("#EXTINF:-1");
    for (const QString& key : order) {
      const auto value = entry.attributes.constFind(key);
      if (value != entry.attributes.constEnd())
        text += QLatin1Char(' ') + key + QStringLiteral("=\"") + attributeValue(value.value()) + QLatin1Char('"');
    }
    text += QLatin1Char(',') + entry.title + QLatin1Char('\n') + entry.address + QLatin1Char('\n');
  }
  return text;
}

}  // namespace catalogue::sources
