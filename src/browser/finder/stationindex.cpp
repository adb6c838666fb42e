#include "stationindex.h"

#include <algorithm>

#include "browser/finder/namefolding.h"
#include "catalogue/regions.h"
#include "catalogue/stationnames.h"

namespace browser {
namespace {

// Fewer new names than this are put in their places one by one; more are sorted and merged.
constexpr std::size_t kFewNames = 64;
// Names no station bears any longer are kept for a later change back, up to this many beyond the
// ones in use; past that the index starts afresh.
constexpr std::size_t kSpareNames = 4096;

bool beginsWord(QStringView text, qsizetype at) { return at == 0 || !text[at - 1].isLetterOrNumber(); }

}  // namespace

StationIndex::StationIndex() : folding_(std::make_unique<NameFolding>()), collator_(catalogue::stationNameCollator()) {
  for (int row = catalogue::kRegionCount - 1; row >= 0; --row) regionRowById_.insert(catalogue::Regions[row].Id, row);
}

StationIndex::~StationIndex() = default;

void StationIndex::rebuild(const std::vector<Station>& stations) {
  lastQuery_.clear();
  lastMatches_.clear();
  std::vector<int> added;
  std::vector<FinderEntry> found;
  std::vector<int> foundNames;
  found.reserve(stations.size());
  foundNames.reserve(stations.size());
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const int row = regionRowById_.value(stations[i].regionId, -1);
    if (row < 0) continue;
    found.push_back({stations[i].name, row, static_cast<int>(i)});
    foundNames.push_back(nameId(stations[i].name, added));
  }
  orderNames(added);

  std::vector<bool> inUse(names_.size());
  std::vector<bool> regional(names_.size());  // by rank: a station of a region bears the name
  std::size_t namesInUse = 0;
  for (std::size_t i = 0; i < found.size(); ++i) {
    const int id = foundNames[i];
    namesInUse += inUse[id] ? 0 : 1;
    inUse[id] = true;
    if (found[i].regionRow != catalogue::kFavouritesRow) regional[names_[id].rank] = true;
  }
  if (names_.size() > namesInUse + kSpareNames) {
    names_.clear();
    nameIds_.clear();
    namesInOrder_.clear();
    sameAsPrevious_.clear();
    rebuild(stations);
    return;
  }

  std::vector<int> order;
  order.reserve(found.size());
  for (std::size_t i = 0; i < found.size(); ++i)
    if (found[i].regionRow != catalogue::kFavouritesRow || !regional[names_[foundNames[i]].rank])
      order.push_back(static_cast<int>(i));
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const int rankA = names_[foundNames[a]].rank;
    const int rankB = names_[foundNames[b]].rank;
    if (rankA != rankB) return rankA < rankB;
    if (found[a].regionRow != found[b].regionRow) return found[a].regionRow < found[b].regionRow;
    return found[a].index < found[b].index;
  });

  entries_.clear();
  entries_.reserve(order.size());
  starts_.clear();
  starts_.reserve(order.size() + 1);
  foldedText_.clear();
  for (int i : order) {
    entries_.push_back(std::move(found[i]));
    starts_.push_back(foldedText_.size());
    foldedText_ += names_[foundNames[i]].folded;
  }
  starts_.push_back(foldedText_.size());
}

int StationIndex::nameId(const QString& name, std::vector<int>& added) {
  const auto known = nameIds_.constFind(name);
  if (known != nameIds_.cend()) return *known;
  const int id = static_cast<int>(names_.size());
  names_.push_back({folding_->fold(name), collator_.sortKey(name)});
  nameIds_.insert(name, id);
  added.push_back(id);
  return id;
}

bool StationIndex::sameKey(int first, int second) const {
  return names_[first].key.compare(names_[second].key) == 0;
}

void StationIndex::orderNames(std::vector<int>& added) {
  if (added.empty()) return;
  const auto less = [this](int a, int b) { return names_[a].key.compare(names_[b].key) < 0; };
  if (added.size() < kFewNames) {
    for (int id : added) {
      const auto place = std::upper_bound(namesInOrder_.begin(), namesInOrder_.end(), id, less);
      const auto at = place - namesInOrder_.begin();
      namesInOrder_.insert(place, id);
      sameAsPrevious_.insert(sameAsPrevious_.begin() + at, at > 0 && sameKey(namesInOrder_[at - 1], id));
      if (static_cast<std::size_t>(at) + 1 < namesInOrder_.size())
        sameAsPrevious_[at + 1] = sameKey(id, namesInOrder_[at + 1]);
    }
  } else {
    std::sort(added.begin(), added.end(), less);
    std::vector<int> merged;
    merged.reserve(namesInOrder_.size() + added.size());
    std::merge(namesInOrder_.begin(), namesInOrder_.end(), added.begin(), added.end(), std::back_inserter(merged), less);
    namesInOrder_ = std::move(merged);
    sameAsPrevious_.assign(namesInOrder_.size(), false);
    for (std::size_t at = 1; at < namesInOrder_.size(); ++at)
      sameAsPrevious_[at] = sameKey(namesInOrder_[at - 1], namesInOrder_[at]);
  }
  int rank = 0;
  for (std::size_t at = 0; at < namesInOrder_.size(); ++at) {
    if (at > 0 && !sameAsPrevious_[at]) ++rank;
    names_[namesInOrder_[at]].rank = rank;
  }
}

QStringView StationIndex::foldedName(int position) const {
  const auto at = static_cast<std::size_t>(position);
  return QStringView(foldedText_).sliced(starts_[at], starts_[at + 1] - starts_[at]);
}

std::vector<int> StationIndex::find(QStringView query) {
  QString folded = folding_->fold(query);
  qsizetype blanks = 0;
  while (blanks < folded.size() && folded[blanks] == QLatin1Char(' ')) ++blanks;
  folded.remove(0, blanks);
  if (folded.isEmpty()) {
    lastQuery_.clear();
    lastMatches_.clear();
    return {};
  }

  std::vector<int> matches;
  std::vector<int> wordMatches;
  std::vector<int> otherMatches;
  const auto test = [&](int position) {
    const QStringView name = foldedName(position);
    qsizetype at = name.indexOf(folded);
    if (at < 0) return;
    matches.push_back(position);
    while (at >= 0 && !beginsWord(name, at)) at = name.indexOf(folded, at + 1);
    (at >= 0 ? wordMatches : otherMatches).push_back(position);
  };
  // A longer query can only hold fewer: look among the last matches.
  if (!lastQuery_.isEmpty() && folded.startsWith(lastQuery_)) {
    for (int position : lastMatches_) test(position);
  } else {
    for (int position = 0; position < size(); ++position) test(position);
  }
  lastQuery_ = folded;
  lastMatches_ = std::move(matches);
  wordMatches.insert(wordMatches.end(), otherMatches.begin(), otherMatches.end());
  return wordMatches;
}

}  // namespace browser
