#pragma once

#include <QString>
#include <array>
#include <vector>

#include "catalogue/regions.h"
#include "catalogue/stations.h"

namespace browser {

// How a station is listed: a TV channel that is not live carries " *".
QString displayText(const catalogue::TvStation& station);
QString displayText(const catalogue::RadioStation& station);

// The three details lines of a selected station.
struct StationDetails {
  QString name;
  QString classification;
  QString encoding;
};
StationDetails describeStation(const catalogue::TvStation& station);
StationDetails describeStation(const catalogue::RadioStation& station);

// Which station buttons a selected station enables ("Dodaj stację" is never disabled).
struct StationButtons {
  bool edit = false;
  bool remove = false;
  bool copy = false;
  bool www = false;
  bool schedule = false;
  bool start = false;
};
StationButtons stationButtons(const catalogue::TvStation& station, int selectedRegionRow);
StationButtons stationButtons(const catalogue::RadioStation& station, int selectedRegionRow);

// For each row of Regions, whether at least one station carries its Id (rows that share an Id
// both count). One pass over the array.
template <class Station>
std::array<bool, catalogue::kRegionCount> regionsWithStations(const std::vector<Station>& stations);

// Array indices of the stations of one region, in array order.
template <class Station>
std::vector<int> stationsOfRegion(const std::vector<Station>& stations, qint32 regionId);

}  // namespace browser
