#pragma once

#include <QCollator>
#include <QString>
#include <algorithm>
#include <map>
#include <vector>

#include "catalogue/stationnames.h"
#include "catalogue/stations.h"

namespace catalogue::sources {

// The names of one region, in order, with every name that equals an earlier one given the first
// free " (2)", " (3)" … suffix. True when a name was changed.
bool makeNamesDistinct(std::vector<QString*>& names, const QCollator& collator);

// Makes every name unique within its region, keeping the order of the stations.
template <class Station>
void makeNamesUniquePerRegion(std::vector<Station>& stations) {
  const QCollator collator = stationNameCollator();
  std::map<qint32, std::vector<QString*>> byRegion;
  for (Station& station : stations) byRegion[station.RegionId].push_back(&station.Name);
  for (auto& [region, names] : byRegion) makeNamesDistinct(names, collator);
}

// Sorts stations by region and then by name, as the editor would have filed them, and makes every
// name unique within its region, as the editor requires.
template <class Station>
void fileLikeTheEditor(std::vector<Station>& stations) {
  const QCollator collator = stationNameCollator();
  std::vector<std::size_t> order(stations.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Names differ early, where the collator decides fast: cheaper than a sort key for every name.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (stations[a].RegionId != stations[b].RegionId) return stations[a].RegionId < stations[b].RegionId;
    return collator.compare(stations[a].Name, stations[b].Name) < 0;
  });
  std::vector<Station> sorted;
  sorted.reserve(stations.size());
  for (std::size_t index : order) sorted.push_back(std::move(stations[index]));
  stations = std::move(sorted);
  for (std::size_t first = 0; first < stations.size();) {
    std::size_t last = first + 1;
    bool equalNames = false;
    for (; last < stations.size() && stations[last].RegionId == stations[first].RegionId; ++last)
      equalNames = equalNames || collator.compare(stations[last].Name, stations[last - 1].Name) == 0;
    // Equal names lie side by side once sorted; a region without them is done.
    if (equalNames) {
      std::vector<QString*> names;
      for (std::size_t i = first; i < last; ++i) names.push_back(&stations[i].Name);
      if (makeNamesDistinct(names, collator))
        std::stable_sort(stations.begin() + first, stations.begin() + last,
                         [&](const Station& a, const Station& b) { return collator.compare(a.Name, b.Name) < 0; });
    }
    first = last;
  }
}

// The catalogue after an update: the favourites of the current one (RegionId 0), in their order,
// then the fetched stations.
template <class Station>
std::vector<Station> favouritesAndFetched(const std::vector<Station>& current, std::vector<Station> fetched) {
  std::vector<Station> result;
  result.reserve(fetched.size() + 16);
  std::copy_if(current.begin(), current.end(), std::back_inserter(result), [](const Station& s) { return s.RegionId == 0; });
  std::move(fetched.begin(), fetched.end(), std::back_inserter(result));
  return result;
}

}  // namespace catalogue::sources
