#pragma once

#include <QString>
#include <functional>
#include <vector>

namespace browser {

// What a list holds after an in-place update.
struct ListPlan {
  struct Row {
    int formerRow;  // the list row this entry had before the update; -1 for a new entry
    int index;      // what the entry stands for (an array index, a region row)
    QString text;   // a new entry's text; a kept entry keeps the text it has
  };
  std::vector<Row> rows;         // in list order
  std::vector<int> removedRows;  // former rows that go, ascending
};

// The widget-free half of an in-place list update. Entries are added in their wanted order; an
// entry equal to a former one (same equality group) takes that entry's place and keeps its text,
// so a list box keeps its selection and scroll position; any other entry is inserted right after
// the entry added before it; former entries that no added entry claimed go at the end.
// Each former entry is claimed at most once, so equal texts stay separate entries, each with its
// own index; among equal former entries one of exactly the same text is claimed first. Linear in
// the number of entries.
class ListMerge {
 public:
  // The equality groups (small non-negative numbers) of the entries the list holds, in list order
  // (none after a reset), and the text of a former row, asked for only where equal entries meet.
  ListMerge(const std::vector<int>& formerGroups, std::function<QString(int row)> formerText);
  void add(int group, const QString& text, int index);
  // Without former entries nothing can be claimed, and the groups of added entries do not matter.
  bool hasFormerEntries() const { return !claimed_.empty(); }
  ListPlan finish();

 private:
  static constexpr int kNone = -1;
  // How far along a group's unclaimed entries a claim looks for exactly the same text.
  static constexpr int kExactMatchReach = 16;
  int claim(int group, const QString& text);

  std::function<QString(int)> formerText_;
  std::vector<int> firstUnclaimed_;  // group -> first former row of that group not yet claimed
  std::vector<int> nextInGroup_;     // former row -> next unclaimed former row of the same group
  std::vector<int> claimedIndex_;    // former row -> index of the entry that claimed it
  std::vector<bool> claimed_;
  std::vector<std::vector<ListPlan::Row>> insertedAfter_;  // [0]: before the first former row; [r + 1]: after row r
  int cursor_ = 0;
};

}  // namespace browser
