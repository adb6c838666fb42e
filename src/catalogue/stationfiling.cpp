#include "stationfiling.h"

#include "catalogue/stations.h"

namespace catalogue {

template <class Station>
bool hasEqualName(const std::vector<Station>& stations, int except, qint32 regionId, const QString& name,
                  const QCollator& names) {
  for (std::size_t i = 0; i < stations.size(); ++i) {
    if (static_cast<int>(i) == except) continue;
    if (stations[i].RegionId == regionId && names.compare(stations[i].Name, name) == 0) return true;
  }
  return false;
}

template <class Station>
int fileStation(std::vector<Station>& stations, int replaced, Station record, const QCollator& names) {
  if (replaced >= 0) stations.erase(stations.begin() + replaced);
  auto place = stations.begin();
  for (; place != stations.end(); ++place)
    if (place->RegionId == record.RegionId && names.compare(place->Name, record.Name) > 0) break;
  const auto inserted = stations.insert(place, std::move(record));
  return static_cast<int>(inserted - stations.begin());
}

template bool hasEqualName(const TvStations&, int, qint32, const QString&, const QCollator&);
template bool hasEqualName(const RadioStations&, int, qint32, const QString&, const QCollator&);
template int fileStation(TvStations&, int, TvStation, const QCollator&);
template int fileStation(RadioStations&, int, RadioStation, const QCollator&);

}  // namespace catalogue
