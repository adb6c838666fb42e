#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include "catalogue/feedbuffer.h"
#include "catalogue/stations.h"
#include "platform/codepage.h"
#include "support/filebytes.h"

namespace feedtest {

// UTF-8 source text as the ISO-8859-2 bytes of a catalogue line.
inline QByteArray iso(const QByteArray& utf8) {
  return platform::fromUnicode(QString::fromUtf8(utf8), platform::CodePage::Iso8859_2);
}

// Plain catalogue text as it lies on disk.
inline QByteArray scrambled(QByteArray plain) {
  catalogue::FeedKey key;
  key.apply(plain.data(), plain.size());
  return plain;
}

inline QByteArray plainContent(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArrayLiteral("<unreadable>");
  return scrambled(file.readAll());
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

using testsupport::fileBytes;

// One record as "Name|Www|ScheduleWww|StreamUrl|RegionId|QualityBps|PlayerKind|Categories|Live".
inline QString describe(const catalogue::TvStation& s) {
  return QStringList{s.Name, s.Www, s.ScheduleWww, s.StreamUrl, QString::number(s.RegionId),
                     QString::number(s.QualityBps), QString::number(s.PlayerKind), QString::number(s.Categories),
                     s.Live ? QStringLiteral("live") : QStringLiteral("recorded")}
      .join(QLatin1Char('|'));
}

// "Name|Www|StreamUrl|RegionId|QualityBps|PlayerKind|Categories".
inline QString describe(const catalogue::RadioStation& s) {
  return QStringList{s.Name, s.Www, s.StreamUrl, QString::number(s.RegionId), QString::number(s.QualityBps),
                     QString::number(s.PlayerKind), QString::number(s.Categories)}
      .join(QLatin1Char('|'));
}

template <typename Stations>
QStringList describeAll(const Stations& stations) {
  QStringList lines;
  for (const auto& station : stations) lines << describe(station);
  return lines;
}

}  // namespace feedtest
