#pragma once

#include <QHash>
#include <QString>
#include <QStringView>
#include <memory>
#include <string>
#include <vector>

namespace browser {

class NameCollation;
class NameFolding;

// A station as the finder lists it.
struct FinderEntry {
  QString name;
  int regionRow;  // the row of Regions the station is found under
  int index;      // in the panel's station array
};

// The stations of one catalogue, found by any part of their names with letter case, diacritics and
// other accents ignored. The folded form and the collation key of a name are worked out once and
// kept across rebuilds, so a rebuild after a change costs one pass over the array, and a search one
// scan of the folded names (of the last results only, while the query only grows).
class StationIndex {
 public:
  struct Station {
    QString name;
    qint32 regionId;
  };

  StationIndex();
  ~StationIndex();
  StationIndex(const StationIndex&) = delete;
  StationIndex& operator=(const StationIndex&) = delete;

  // Every station under its own region: the first row of Regions with its identifier (as the editor
  // names it). A favourite is a copy of a station, so it counts only when no station of a region
  // bears its name (letter case aside); then it is found under "Ulubione". Stations of an unknown
  // region are listed nowhere in the panel and are not found either.
  template <class Record>
  static std::vector<Station> stationsOf(const std::vector<Record>& records) {
    std::vector<Station> stations;
    stations.reserve(records.size());
    for (const Record& record : records) stations.push_back({record.Name, record.RegionId});
    return stations;
  }
  template <class Record>
  void rebuild(const std::vector<Record>& records) {
    rebuild(stationsOf(records));
  }
  void rebuild(const std::vector<Station>& stations);

  // Positions of the entries whose folded names hold the folded query, best first: those in which
  // it begins the name or one of its words, then the others, each group in the panel's order of
  // names (and for equal names in the order of Regions, then of the array). Leading blanks of the
  // query do not count; a query of nothing else finds nothing.
  std::vector<int> find(QStringView query);

  int size() const { return static_cast<int>(entries_.size()); }
  const FinderEntry& entry(int position) const { return entries_[static_cast<std::size_t>(position)]; }

 private:
  struct Name {
    QString folded;
    std::size_t keyAt;  // in keys_
    int rank = 0;       // place in the order of names; equal names share one
  };
  int nameId(const QString& name, std::vector<int>& added);
  void orderNames(std::vector<int>& added);
  int compareKeys(int first, int second) const;
  void forgetNames();
  QStringView foldedName(int position) const;

  std::unique_ptr<NameFolding> folding_;
  std::unique_ptr<NameCollation> collation_;
  std::vector<int> regionRowById_;  // by identifier, -1 for none
  QHash<QString, int> nameIds_;
  std::string keys_;  // the names' collation keys, each ending in a zero
  std::vector<Name> names_;
  std::vector<int> namesInOrder_;     // name ids by collation
  std::vector<char> sameAsPrevious_;  // per place in namesInOrder_: equal to the name before it
  std::vector<FinderEntry> entries_;
  QString foldedText_;            // the entries' folded names, one after another
  std::vector<qsizetype> starts_;  // where each entry's folded name starts, and the end
  QString lastQuery_;
  std::vector<int> lastMatches_;  // entries holding lastQuery_, in entry order
};

}  // namespace browser
