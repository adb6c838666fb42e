#include "listmerge.h"

namespace browser {

ListMerge::ListMerge(std::vector<QString> formerTexts, const std::vector<int>& formerGroups)
    : formerTexts_(std::move(formerTexts)),
      nextInGroup_(formerGroups.size(), kNone),
      claimedIndex_(formerGroups.size(), kNone),
      claimed_(formerGroups.size(), false),
      insertedAfter_(formerGroups.size() + 1) {
  for (int row = static_cast<int>(formerGroups.size()) - 1; row >= 0; --row) {
    const int group = formerGroups[row];
    nextInGroup_[row] = firstUnclaimed_.value(group, kNone);
    firstUnclaimed_.insert(group, row);
  }
}

void ListMerge::add(int group, const QString& text, int index) {
  const auto found = firstUnclaimed_.find(group);
  if (found != firstUnclaimed_.end() && *found != kNone) {
    // The first unclaimed entry of the group, or a later one with exactly this text.
    int row = *found;
    int previous = kNone;
    for (int candidate = row, before = kNone, step = 0; candidate != kNone && step < kExactMatchReach;
         before = candidate, candidate = nextInGroup_[candidate], ++step) {
      if (formerTexts_[candidate] == text) {
        row = candidate;
        previous = before;
        break;
      }
    }
    if (previous == kNone) *found = nextInGroup_[row];
    else nextInGroup_[previous] = nextInGroup_[row];
    claimed_[row] = true;
    claimedIndex_[row] = index;
    cursor_ = row + 1;
    return;
  }
  insertedAfter_[cursor_].push_back({-1, index, text});
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
