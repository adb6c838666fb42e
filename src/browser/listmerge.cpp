#include "listmerge.h"

#include <algorithm>

namespace browser {

ListMerge::ListMerge(const std::vector<int>& formerGroups, std::function<QString(int row)> formerText)
    : formerText_(std::move(formerText)),
      nextInGroup_(formerGroups.size(), kNone),
      claimedIndex_(formerGroups.size(), kNone),
      claimed_(formerGroups.size(), false),
      insertedAfter_(formerGroups.size() + 1) {
  const auto largest = std::max_element(formerGroups.begin(), formerGroups.end());
  firstUnclaimed_.assign(largest == formerGroups.end() ? 0 : *largest + 1, kNone);
  for (int row = static_cast<int>(formerGroups.size()) - 1; row >= 0; --row) {
    const int group = formerGroups[row];
    nextInGroup_[row] = firstUnclaimed_[group];
    firstUnclaimed_[group] = row;
  }
}

int ListMerge::claim(int group, const QString& text) {
  if (group < 0 || group >= static_cast<int>(firstUnclaimed_.size())) return kNone;
  int& first = firstUnclaimed_[group];
  if (first == kNone) return kNone;
  int row = first;
  int previous = kNone;
  // Several equal former entries: prefer the one of exactly this text.
  if (nextInGroup_[row] != kNone) {
    for (int candidate = row, before = kNone, step = 0; candidate != kNone && step < kExactMatchReach;
         before = candidate, candidate = nextInGroup_[candidate], ++step) {
      if (formerText_(candidate) == text) {
        row = candidate;
        previous = before;
        break;
      }
    }
  }
  if (previous == kNone) first = nextInGroup_[row];
  else nextInGroup_[previous] = nextInGroup_[row];
  return row;
}

void ListMerge::add(int group, const QString& text, int index) {
  const int row = claim(group, text);
  if (row == kNone) {
    insertedAfter_[cursor_].push_back({-1, index, text});
    return;
  }
  claimed_[row] = true;
  claimedIndex_[row] = index;
  cursor_ = row + 1;
}

ListPlan ListMerge::finish() {
  ListPlan plan;
  const int formerCount = static_cast<int>(claimed_.size());
  plan.rows.reserve(formerCount);
  for (int slot = 0; slot <= formerCount; ++slot) {
    if (slot > 0) {
      const int row = slot - 1;
      if (claimed_[row]) plan.rows.push_back({row, claimedIndex_[row], {}});
      else plan.removedRows.push_back(row);
    }
    for (ListPlan::Row& inserted : insertedAfter_[slot]) plan.rows.push_back(std::move(inserted));
  }
  return plan;
}

}  // namespace browser
