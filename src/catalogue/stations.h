#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

namespace catalogue {

// One TV channel of the catalogue. Plain value: a copy is independent of its original.
struct TvStation {
  QString Name;
  QString Www;          // without a leading "http://"
  QString ScheduleWww;  // likewise
  QString StreamUrl;    // exactly as loaded or entered
  qint32 RegionId = 0;  // 0: a favourite
  qint32 QualityBps = 0;
  quint8 PlayerKind = 0;
  quint8 Categories = 0;
  bool Live = false;
  friend bool operator==(const TvStation&, const TvStation&) = default;
};

// One radio station: no schedule page, no live flag.
struct RadioStation {
  QString Name;
  QString Www;
  QString StreamUrl;
  qint32 RegionId = 0;
  qint32 QualityBps = 0;
  quint8 PlayerKind = 0;
  quint8 Categories = 0;
  friend bool operator==(const RadioStation&, const RadioStation&) = default;
};

using TvStations = std::vector<TvStation>;
using RadioStations = std::vector<RadioStation>;

}  // namespace catalogue
