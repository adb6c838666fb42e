#include "catalogueedits.h"

#include "catalogue/stations.h"

namespace browser {

QString deleteQuestion(const QString& name, qint32 regionId) {
  const QString lead = regionId != 0 ? QStringLiteral("Czy na pewno chcesz usunąć stację ")
                                     : QStringLiteral("Czy na pewno chcesz usunąć z Ulubionych ");
  return lead + QLatin1Char('"') + name + QStringLiteral("\"?");
}

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
CopyResult copyToFavourites(std::vector<Station>& stations, int selected, const QCollator& names) {
  if (selected < 0 || selected >= static_cast<int>(stations.size())) return CopyResult::NotCopied;
  if (stations[selected].RegionId == 0) return CopyResult::NotCopied;
  if (hasEqualName(stations, -1, 0, stations[selected].Name, names)) return CopyResult::AlreadyFavourite;
  Station copy = stations[selected];
  copy.RegionId = 0;
  stations.push_back(std::move(copy));
  return CopyResult::Copied;
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

template bool hasEqualName(const catalogue::TvStations&, int, qint32, const QString&, const QCollator&);
template bool hasEqualName(const catalogue::RadioStations&, int, qint32, const QString&, const QCollator&);
template CopyResult copyToFavourites(catalogue::TvStations&, int, const QCollator&);
template CopyResult copyToFavourites(catalogue::RadioStations&, int, const QCollator&);
template int fileStation(catalogue::TvStations&, int, catalogue::TvStation, const QCollator&);
template int fileStation(catalogue::RadioStations&, int, catalogue::RadioStation, const QCollator&);

}  // namespace browser
