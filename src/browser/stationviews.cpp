#include "stationviews.h"

#include <QHash>

#include "catalogue/flags.h"

namespace browser {
namespace {

QString encodingLine(qint32 qualityBps, const QString& kinds) {
  if (qualityBps == 0) return kinds;
  return QStringLiteral("%1 kbps (%2)").arg(qualityBps / 1000).arg(kinds);
}

// Region Id -> the rows that carry it (two rows share some Ids).
const QHash<qint32, std::vector<int>>& rowsById() {
  static const QHash<qint32, std::vector<int>> rows = [] {
    QHash<qint32, std::vector<int>> byId;
    for (int row = 0; row < catalogue::kRegionCount; ++row) byId[catalogue::Regions[row].Id].push_back(row);
    return byId;
  }();
  return rows;
}

}  // namespace

QString displayText(const catalogue::TvStation& station) {
  return station.Live ? station.Name : station.Name + QStringLiteral(" *");
}

QString displayText(const catalogue::RadioStation& station) { return station.Name; }

StationDetails describeStation(const catalogue::TvStation& station) {
  return {station.Name, catalogue::DescribeFlags(station.Categories, catalogue::CategoryNames),
          encodingLine(station.QualityBps, catalogue::DescribeFlags(station.PlayerKind, catalogue::TvPlayerKinds))};
}

StationDetails describeStation(const catalogue::RadioStation& station) {
  return {station.Name, catalogue::DescribeFlags(station.Categories, catalogue::CategoryNames),
          encodingLine(station.QualityBps, catalogue::DescribeFlags(station.PlayerKind, catalogue::RadioPlayerKinds))};
}

StationButtons stationButtons(const catalogue::TvStation& station, int selectedRegionRow) {
  return {true,
          true,
          selectedRegionRow != catalogue::kFavouritesRow,
          !station.Www.isEmpty(),
          !station.ScheduleWww.isEmpty(),
          !station.StreamUrl.isEmpty() || !station.Www.isEmpty()};
}

StationButtons stationButtons(const catalogue::RadioStation& station, int selectedRegionRow) {
  return {true, true, selectedRegionRow != catalogue::kFavouritesRow, !station.Www.isEmpty(), false,
          !station.StreamUrl.isEmpty() || !station.Www.isEmpty()};
}

template <class Station>
std::array<bool, catalogue::kRegionCount> regionsWithStations(const std::vector<Station>& stations) {
  std::array<bool, catalogue::kRegionCount> present{};
  const auto& byId = rowsById();
  bool haveLast = false;
  qint32 lastId = 0;
  for (const Station& station : stations) {
    // Catalogues hold their stations grouped by region: skip the lookup along a run.
    if (haveLast && station.RegionId == lastId) continue;
    haveLast = true;
    lastId = station.RegionId;
    const auto rows = byId.constFind(station.RegionId);
    if (rows == byId.cend()) continue;
    for (int row : *rows) present[row] = true;
  }
  return present;
}

template <class Station>
std::vector<int> stationsOfRegion(const std::vector<Station>& stations, qint32 regionId) {
  std::vector<int> indices;
  for (std::size_t i = 0; i < stations.size(); ++i)
    if (stations[i].RegionId == regionId) indices.push_back(static_cast<int>(i));
  return indices;
}

template std::array<bool, catalogue::kRegionCount> regionsWithStations(const catalogue::TvStations&);
template std::array<bool, catalogue::kRegionCount> regionsWithStations(const catalogue::RadioStations&);
template std::vector<int> stationsOfRegion(const catalogue::TvStations&, qint32);
template std::vector<int> stationsOfRegion(const catalogue::RadioStations&, qint32);

}  // namespace browser
