#pragma once

#include <QString>

#include "catalogue/stations.h"

namespace benchdata {

// Stations that look like the shipped ones: Polish letters, addresses of typical length.
inline catalogue::TvStations makeTvStations(int count) {
  catalogue::TvStations stations;
  stations.reserve(count);
  for (int i = 0; i < count; ++i) {
    catalogue::TvStation s;
    s.Name = QStringLiteral("Telewizja Łódź Zażółć %1").arg(i);
    s.Www = QStringLiteral("www.telewizja-%1.example.pl").arg(i);
    s.ScheduleWww = QStringLiteral("www.telewizja-%1.example.pl/program-tv").arg(i);
    s.StreamUrl = QStringLiteral("https://cdn%1.example.pl/hls/live/%2/master.m3u8").arg(i % 7).arg(i);
    s.RegionId = i % 3 == 0 ? 48 : 49;
    s.QualityBps = 128000 * (1 + i % 16);
    s.PlayerKind = 8;
    s.Categories = static_cast<quint8>(i % 64);
    s.Live = i % 5 != 0;
    stations.push_back(std::move(s));
  }
  return stations;
}

}  // namespace benchdata
