#include <QRegularExpression>
#include <map>

#include "catalogue/sources/playlist.h"
#include "catalogue/sources/textrules.h"

namespace catalogue::sources {

Playlist parsePls(const QString& text) {
  static const QRegularExpression lineBreaks(QStringLiteral("\r\n|\r|\n"));
  static const QRegularExpression numberedKey(QStringLiteral("^(file|title)(\\d+)$"),
                                              QRegularExpression::CaseInsensitiveOption);
  // By entry number: NumberOfEntries is often missing or wrong, so every FileN found counts.
  std::map<qint64, PlaylistEntry> entries;
  for (const QString& rawLine : text.split(lineBreaks)) {
    const QString line = rawLine.trimmed();
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0 || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#'))) continue;
    const QRegularExpressionMatch key = numberedKey.match(line.left(equals).trimmed());
    if (!key.hasMatch()) continue;
    bool ok = false;
    const qint64 number = key.captured(2).toLongLong(&ok);
    if (!ok) continue;
    const QString value = line.mid(equals + 1).trimmed();
    PlaylistEntry& entry = entries[number];
    if (key.captured(1).compare(QLatin1String("file"), Qt::CaseInsensitive) == 0)
      entry.address = value;
    else
      entry.title = value;
  }
  Playlist playlist;
  for (auto& [number, entry] : entries)
    if (!streamAddress(entry.address).isEmpty()) playlist.push_back(std::move(entry));
  return playlist;
}

QString writePls(const Playlist& playlist) {
  QString text = QStringLiteral("[playlist]\n");
  int number = 0;
  for (const PlaylistEntry& entry : playlist) {
    ++number;
    text += QStringLiteral("File%1=%2\n").arg(number).arg(entry.address);
    text += QStringLiteral("Title%1=%2\n").arg(number).arg(entry.title);
    text += QStringLiteral("Length%1=-1\n").arg(number);
  }
  text += QStringLiteral("NumberOfEntries=%1\nVersion=2\n").arg(number);
  return text;
}

}  // namespace catalogue::sources
