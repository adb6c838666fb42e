#include "stationchange.h"

#include "catalogue/changemessages.h"
#include "catalogue/stationfiling.h"
#include "catalogue/stations.h"

namespace catalogue {
namespace {

// The station the user saw: an equal one, or else the only one of its region and name; -1 when
// there is none, or several and none equal.
template <class Station>
int findStation(const std::vector<Station>& stations, const Station& seen, const QCollator& names) {
  int sameName = -1;
  int sameNameCount = 0;
  for (std::size_t i = 0; i < stations.size(); ++i) {
    if (stations[i] == seen) return static_cast<int>(i);
    if (stations[i].RegionId == seen.RegionId && names.compare(stations[i].Name, seen.Name) == 0) {
      sameName = static_cast<int>(i);
      ++sameNameCount;
    }
  }
  return sameNameCount == 1 ? sameName : -1;
}

template <class Station>
int findEqualName(const std::vector<Station>& stations, int except, qint32 regionId, const QString& name,
                  const QCollator& names) {
  for (std::size_t i = 0; i < stations.size(); ++i)
    if (static_cast<int>(i) != except && stations[i].RegionId == regionId && names.compare(stations[i].Name, name) == 0)
      return static_cast<int>(i);
  return -1;
}

// Each field the user changed goes over what is on disk, unless the disk changed it to something
// else: then false, and `onDisk` is left half merged.
template <class Station, class... Fields>
bool takeChangedFields(Station& onDisk, const Station& before, const Station& after, Fields... fields) {
  bool merged = true;
  const auto take = [&](auto field) {
    if (after.*field == before.*field) return;
    if (onDisk.*field == before.*field || onDisk.*field == after.*field)
      onDisk.*field = after.*field;
    else
      merged = false;
  };
  (take(fields), ...);
  return merged;
}

bool mergeEdit(TvStation& onDisk, const TvStation& before, const TvStation& after) {
  return takeChangedFields(onDisk, before, after, &TvStation::Name, &TvStation::Www, &TvStation::ScheduleWww,
                           &TvStation::StreamUrl, &TvStation::RegionId, &TvStation::QualityBps, &TvStation::PlayerKind,
                           &TvStation::Categories, &TvStation::Live);
}

bool mergeEdit(RadioStation& onDisk, const RadioStation& before, const RadioStation& after) {
  return takeChangedFields(onDisk, before, after, &RadioStation::Name, &RadioStation::Www, &RadioStation::StreamUrl,
                           &RadioStation::RegionId, &RadioStation::QualityBps, &RadioStation::PlayerKind,
                           &RadioStation::Categories);
}

template <class Station>
std::optional<QString> edit(std::vector<Station>& stations, const Station& before, const Station& after,
                            const QCollator& names, const QString& file) {
  const int index = findStation(stations, before, names);
  if (index < 0) return editedStationGone(file, before, after);
  Station merged = stations[index];
  if (!mergeEdit(merged, before, after)) return editClashes(file, stations[index], after);
  const bool keyChanged =
      merged.RegionId != stations[index].RegionId || names.compare(merged.Name, stations[index].Name) != 0;
  if (keyChanged) {
    const int other = findEqualName(stations, index, merged.RegionId, merged.Name, names);
    if (other >= 0) return nameTakenMeanwhile(file, stations[other], after);
  }
  fileStation(stations, index, std::move(merged), names);
  return std::nullopt;
}

template <class Station>
std::optional<QString> add(std::vector<Station>& stations, const Station& station, const QCollator& names,
                           const QString& file) {
  const int other = findEqualName(stations, -1, station.RegionId, station.Name, names);
  if (other >= 0) {
    if (stations[other] == station) return std::nullopt;  // both added the very same station
    return nameTakenMeanwhile(file, stations[other], station);
  }
  fileStation(stations, -1, station, names);
  return std::nullopt;
}

template <class Station>
std::optional<QString> remove(std::vector<Station>& stations, const Station& station, const QCollator& names,
                              const QString& file) {
  const int index = findStation(stations, station, names);
  if (index < 0) return std::nullopt;  // gone already
  if (!(stations[index] == station)) return removedStationChanged(file, stations[index]);
  stations.erase(stations.begin() + index);
  return std::nullopt;
}

template <class Station>
std::optional<QString> copyToFavourites(std::vector<Station>& stations, const Station& station, const QCollator& names,
                                        const QString& file) {
  Station copy = station;
  copy.RegionId = 0;
  const int other = findEqualName(stations, -1, 0, copy.Name, names);
  if (other >= 0) {
    if (stations[other] == copy) return std::nullopt;
    return favouriteTakenMeanwhile(file, stations[other], copy);
  }
  stations.push_back(std::move(copy));
  return std::nullopt;
}

}  // namespace

template <class Station>
std::optional<QString> applyChange(std::vector<Station>& stations, const StationChange<Station>& change,
                                   const QCollator& names, const QString& file) {
  using Change = StationChange<Station>;
  switch (change.kind) {
    case Change::Nothing:
      return std::nullopt;
    case Change::Add:
      return add(stations, change.after, names, file);
    case Change::Edit:
      return edit(stations, change.before, change.after, names, file);
    case Change::Remove:
      return remove(stations, change.before, names, file);
    case Change::CopyToFavourites:
      return copyToFavourites(stations, change.before, names, file);
  }
  return std::nullopt;
}

template std::optional<QString> applyChange(TvStations&, const StationChange<TvStation>&, const QCollator&,
                                            const QString&);
template std::optional<QString> applyChange(RadioStations&, const StationChange<RadioStation>&, const QCollator&,
                                            const QString&);

}  // namespace catalogue
