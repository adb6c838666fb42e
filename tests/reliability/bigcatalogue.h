#pragma once

#include <QString>
#include <QStringList>
#include <random>

#include "catalogue/stations.h"

namespace reliability {

// A large TV catalogue that a seed alone determines, so that a test and the processes it starts
// build the same one. Texts round-trip through a catalogue file: trimmed, Polish letters, page
// addresses without "http://".
inline catalogue::TvStations bigCatalogue(quint32 seed, int count) {
  static const QStringList syllables{"ka", "ło", "ż", "wie", "ść", "ra", "dio", "tę", "źr", "no", "ą", "gró"};
  std::mt19937 random(seed);
  const auto number = [&](int below) { return int(random() % unsigned(below)); };
  catalogue::TvStations stations;
  stations.reserve(count);
  for (int i = 0; i < count; ++i) {
    catalogue::TvStation s;
    for (int n = 2 + number(4); n > 0; --n) s.Name += syllables[number(int(syllables.size()))];
    s.Name = s.Name.left(1).toUpper() + s.Name.mid(1) + QStringLiteral(" %1-%2").arg(seed).arg(i);
    s.Www = number(2) ? QStringLiteral("strona%1.pl/%2").arg(seed).arg(i) : QString();
    s.ScheduleWww = number(3) == 0 ? QStringLiteral("ramówka.pl/%1").arg(i) : QString();
    s.StreamUrl = QStringLiteral("mms://strumien.pl/%1/%2").arg(seed).arg(i);
    s.RegionId = number(5) == 0 ? 0 : 1 + number(999);
    s.QualityBps = number(4) * 64000;
    s.PlayerKind = quint8(1 << number(4));
    s.Categories = quint8(number(64));
    s.Live = number(2) == 0;
    stations.push_back(std::move(s));
  }
  return stations;
}

// The settings the writer processes keep in their store.
inline const QString kSettingsKey = QStringLiteral("Software\\Sieciownik\\Reliability");
// One text value that names its writer and its round, so that a single read shows whether a
// write arrived whole: "<writer>-<round>-" followed by filler that makes the write span pages.
inline QString settingsText(const QString& writer, qint64 round) {
  return QStringLiteral("%1-%2-").arg(writer).arg(round) + QString(3000 + int(round % 7) * 1000, QLatin1Char('x'));
}

}  // namespace reliability
