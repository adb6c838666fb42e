#pragma once

#include <QListWidgetItem>
#include <QObject>
#include <optional>

#include "browser/listmerge.h"

class QListWidget;

namespace browser {

class NameClasses;

// The item role that carries what a list entry stands for (an array index or a region row).
inline constexpr int kEntryIndexRole = Qt::UserRole;

// What an entry stands for, or -1 for a row the list does not have.
int entryIndex(const QListWidget* list, int row);
// The selected row, or -1 while the list has no selection.
int selectedRow(const QListWidget* list);
// Leaves the list without a selection and without a current entry.
void clearListSelection(QListWidget* list);

// The in-place list update of the four list boxes: one update at a time, begun, fed and ended in
// that order. Redrawing and the list's signals are suspended in between; entries that stay keep
// their place, so the selection and the scroll position survive; a removed selected entry leaves
// the list without a selection.
class ListUpdater {
 public:
  explicit ListUpdater(NameClasses& names);
  void BeginListUpdate(QListWidget* list, bool reset);
  void AddListEntry(QListWidget* list, const QString& text, int index);
  void EndListUpdate(QListWidget* list);

 private:
  void apply(const ListPlan& plan);
  void rebuild(const ListPlan& plan);
  // Finds the equality groups of a filled list's entries a slice at a time while the program is
  // idle, so that the refresh after the first edit need not find them all in one frame.
  void groupWhenIdle(QListWidget* list, int fromRow, int fill);

  NameClasses& names_;
  QListWidget* list_ = nullptr;
  std::optional<ListMerge> merge_;
  bool signalsWereBlocked_ = false;
  int scrollValue_ = 0;
  QObject idleWork_;  // what the idle grouping runs in: it ends with the updater
  bool filled_ = false;  // the update began with an empty list
  int fills_ = 0;        // a later fill ends the grouping of an earlier one
};

}  // namespace browser
