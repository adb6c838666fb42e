#include "stationindex.h"

#include <algorithm>
#include <cstring>

#include "browser/finder/namecollation.h"
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

// An entry's place in the finder's order, in one number: the rank of its name, its region row, its
// array index.
using OrderKey = quint64;
OrderKey orderKey(int rank, int regionRow, int index) {
  return (OrderKey(rank) << 40) | (OrderKey(regionRow) << 32) | OrderKey(quint32(index));
}
int indexOf(OrderKey key) { return int(quint32(key)); }
int regionRowOf(OrderKey key) { return int((key >> 32) & 0xff); }

}  // namespace

StationIndex::StationIndex()
    : folding_(std::make_unique<NameFolding>()),
      collation_(std::make_unique<NameCollation>(catalogue::stationNameCollator())) {
  qint32 largest = 0;
  for (const catalogue::Region& region : catalogue::Regions) largest = std::max(largest, region.Id);
  regionRowById_.assign(std::size_t(largest) + 1, -1);
  for (int row = catalogue::kRegionCount - 1; row >= 0; --row) regionRowById_[std::size_t(catalogue::Regions[row].Id)] = row;
}

StationIndex::~StationIndex() = default;

void StationIndex::rebuild(const std::vector<Station>& stations) {
  static_assert(catalogue::kRegionCount <= 0x100, "a region row takes one byte of an order key");
  lastQuery_.clear();
  lastMatches_.clear();
  std::vector<int> added;
  std::vector<std::pair<int, int>> found;  // {array index, name id} of stations in a known region
  found.reserve(stations.size());
  for (std::size_t i = 0; i < stations.size(); ++i) {
    const qint32 id = stations[i].regionId;
    if (id < 0 || std::size_t(id) >= regionRowById_.size() || regionRowById_[std::size_t(id)] < 0) continue;
    found.emplace_back(int(i), nameId(stations[i].name, added));
  }
  orderNames(added);

  std::vector<bool> inUse(names_.size());
  std::vector<bool> regional(names_.size());  // by rank: a station of a region bears the name
  std::size_t namesInUse = 0;
  for (const auto& [index, id] : found) {
    namesInUse += inUse[std::size_t(id)] ? 0 : 1;
    inUse[std::size_t(id)] = true;
    if (stations[std::size_t(index)].regionId != 0) regional[std::size_t(names_[std::size_t(id)].rank)] = true;
  }
  if (names_.size() > namesInUse + kSpareNames) {
    forgetNames();
    rebuild(stations);
    return;
  }

  std::vector<OrderKey> order;
  order.reserve(found.size());
  qsizetype textSize = 0;
  for (const auto& [index, id] : found) {
    const Name& name = names_[std::size_t(id)];
    const int row = regionRowById_[std::size_t(stations[std::size_t(index)].regionId)];
    if (row == catalogue::kFavouritesRow && regional[std::size_t(name.rank)]) continue;
    order.push_back(orderKey(name.rank, row, index));
    textSize += name.folded.size();
  }
  std::sort(order.begin(), order.end());

  std::vector<int> nameOfIndex(stations.size(), -1);
  for (const auto& [index, id] : found) nameOfIndex[std::size_t(index)] = id;
  entries_.clear();
  entries_.reserve(order.size());
  starts_.clear();
  starts_.reserve(order.size() + 1);
  foldedText_.clear();
  foldedText_.reserve(textSize);
  for (OrderKey key : order) {
    const int index = indexOf(key);
    entries_.push_back({stations[std::size_t(index)].name, regionRowOf(key), index});
    starts_.push_back(foldedText_.size());
    foldedText_ += names_[std::size_t(nameOfIndex[std::size_t(index)])].folded;
  }
  starts_.push_back(foldedText_.size());
}

void StationIndex::forgetNames() {
  names_.clear();
  nameIds_.clear();
  keys_.clear();
  namesInOrder_.clear();
  sameAsPrevious_.clear();
}

int StationIndex::nameId(const QString& name, std::vector<int>& added) {
  const auto known = nameIds_.constFind(name);
  if (known != nameIds_.cend()) return *known;
  const int id = int(names_.size());
  names_.push_back({folding_->fold(name), keys_.size()});
  collation_->appendKey(name, keys_);
  nameIds_.insert(name, id);
  added.push_back(id);
  return id;
}

int StationIndex::compareKeys(int first, int second) const {
  return std::strcmp(keys_.data() + names_[std::size_t(first)].keyAt, keys_.data() + names_[std::size_t(second)].keyAt);
}

void StationIndex::orderNames(std::vector<int>& added) {
  if (added.empty()) return;
  const auto less = [this](int a, int b) { return compareKeys(a, b) < 0; };
  if (added.size() < kFewNames) {
    for (int id : added) {
      const auto place = std::upper_bound(namesInOrder_.begin(), namesInOrder_.end(), id, less);
      const auto at = place - namesInOrder_.begin();
      namesInOrder_.insert(place, id);
      sameAsPrevious_.insert(sameAsPrevious_.begin() + at, at > 0 && compareKeys(namesInOrder_[at - 1], id) == 0);
      if (std::size_t(at) + 1 < namesInOrder_.size()) sameAsPrevious_[at + 1] = compareKeys(id, namesInOrder_[at + 1]) == 0;
    }
  } else {
    std::sort(added.begin(), added.end(), less);
    std::vector<int> merged;
    merged.reserve(namesInOrder_.size() + added.size());
    std::merge(namesInOrder_.begin(), namesInOrder_.end(), added.begin(), added.end(), std::back_inserter(merged), less);
    namesInOrder_ = std::move(merged);
    sameAsPrevious_.assign(namesInOrder_.size(), false);
    for (std::size_t at = 1; at < namesInOrder_.size(); ++at)
      sameAsPrevious_[at] = compareKeys(namesInOrder_[at - 1], namesInOrder_[at]) == 0;
  }
  int rank = 0;
  for (std::size_t at = 0; at < namesInOrder_.size(); ++at) {
    if (at > 0 && !sameAsPrevious_[at]) ++rank;
    names_[std::size_t(namesInOrder_[at])].rank = rank;
  }
}

QStringView StationIndex::foldedName(int position) const {
  const auto at = std::size_t(position);
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
    matches.reserve(lastMatches_.size());
    for (int position : lastMatches_) test(position);
  } else {
    matches.reserve(entries_.size());
    for (int position = 0; position < size(); ++position) test(position);
  }
  lastQuery_ = folded;
  lastMatches_ = std::move(matches);
  wordMatches.insert(wordMatches.end(), otherMatches.begin(), otherMatches.end());
  return wordMatches;
}

}  // namespace browser
