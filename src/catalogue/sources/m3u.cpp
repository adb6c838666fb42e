#include <algorithm>
#include <span>

#include "catalogue/sources/playlist.h"
#include "catalogue/sources/textrules.h"

namespace catalogue::sources {
namespace {

// An attribute name as the entries keep it, in lower case; nothing when `kept` is given and does
// not hold it.
std::optional<QString> attributeName(QStringView key, std::span<const QString> kept) {
  if (kept.empty()) return key.toString().toLower();
  const bool ascii = std::all_of(key.begin(), key.end(), [](QChar c) { return c.unicode() < 0x80; });
  for (const QString& name : kept)
    if (ascii ? key.size() == name.size() && key.compare(name, Qt::CaseInsensitive) == 0 : key.toString().toLower() == name)
      return name;
  return std::nullopt;
}

// "#EXTINF:<duration> key="value" key2=value2,Title": attribute values may hold blanks and
// commas, so the title starts at the first comma outside quotes.
void readExtInf(QStringView info, PlaylistEntry& entry, std::span<const QString> kept) {
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
    const QStringView key = info.mid(keyStart, at - keyStart);
    if (at >= size || info[at] != QLatin1Char('=')) continue;  // a bare word: nothing to keep
    ++at;
    QStringView value;
    if (at < size && info[at] == QLatin1Char('"')) {
      const qsizetype close = info.indexOf(QLatin1Char('"'), at + 1);
      const qsizetype end = close < 0 ? size : close;
      value = info.mid(at + 1, end - at - 1);
      at = close < 0 ? size : close + 1;
    } else {
      const qsizetype valueStart = at;
      while (at < size && info[at] != QLatin1Char(',') && !info[at].isSpace()) ++at;
      value = info.mid(valueStart, at - valueStart);
    }
    if (key.isEmpty()) continue;
    if (std::optional<QString> name = attributeName(key, kept)) entry.attributes.insert(*name, value.trimmed().toString());
  }
}

QString attributeValue(const QString& value) {
  // M3U has no escape for a quote inside a value.
  QString clean = value;
  clean.replace(QLatin1Char('"'), QLatin1Char('\''));
  return clean;
}

}  // namespace

M3uReader::M3uReader(std::function<void(PlaylistEntry&)> take, QStringList keptAttributes)
    : take_(std::move(take)), kept_(std::move(keptAttributes)) {}

void M3uReader::addLine(QStringView rawLine) {
  const QStringView line = rawLine.trimmed();
  if (line.isEmpty()) return;
  if (line.startsWith(QLatin1Char('#'))) {
    if (line.startsWith(QLatin1String("#EXTINF:"), Qt::CaseInsensitive)) {
      pending_ = {};
      readExtInf(line.sliced(8), pending_, kept_);
    } else if (line.startsWith(QLatin1String("#EXTGRP:"), Qt::CaseInsensitive)) {
      group_ = line.sliced(8).trimmed().toString();
    }
    return;
  }
  if (isStreamAddress(line)) {
    pending_.address = line.toString();
    if (!group_.isEmpty() && !pending_.attributes.contains(kRegionAttribute) &&
        (kept_.isEmpty() || kept_.contains(kRegionAttribute)))
      pending_.attributes.insert(kRegionAttribute, group_);
    take_(pending_);
  }
  pending_ = {};
  group_.clear();
}

void forEachLine(QStringView text, const std::function<void(QStringView)>& take) {
  qsizetype start = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    take(text.sliced(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  take(text.sliced(start));
}

Playlist parseM3u(const QString& text) {
  Playlist playlist;
  M3uReader reader([&playlist](PlaylistEntry& entry) { playlist.push_back(std::move(entry)); });
  forEachLine(text, [&reader](QStringView line) { reader.addLine(line); });
  return playlist;
}

QString writeM3u(const Playlist& playlist) {
  // The attributes players know come first, our own after them, in a fixed order.
  QString text = QStringLiteral("#EXTM3U\n");
  for (const PlaylistEntry& entry : playlist) {
    text += QStringLiteral("#EXTINF:-1");
    for (const QString& key : kStationAttributes) {
      const auto value = entry.attributes.constFind(key);
      if (value != entry.attributes.constEnd())
        text += QLatin1Char(' ') + key + QStringLiteral("=\"") + attributeValue(value.value()) + QLatin1Char('"');
    }
    text += QLatin1Char(',') + entry.title + QLatin1Char('\n') + entry.address + QLatin1Char('\n');
  }
  return text;
}

}  // namespace catalogue::sources
