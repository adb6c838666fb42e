#include "listupdater.h"

#include <QListWidget>
#include <QScrollBar>
#include <QPointer>
#include <QTimer>
#include <algorithm>

#include "browser/nameorder.h"

namespace browser {
namespace {

// An entry whose index changes without notifying the view: the index is never displayed, and a
// refresh of a long list renumbers most of its entries. It also remembers its text's equality
// group once a refresh has needed it.
class IndexedItem final : public QListWidgetItem {
 public:
  IndexedItem(const QString& text, int index) : QListWidgetItem(text, nullptr, UserType), index_(index) {}
  QVariant data(int role) const override {
    return role == kEntryIndexRole ? QVariant(index_) : QListWidgetItem::data(role);
  }
  void setIndex(int index) { index_ = index; }
  int group(NameClasses& names) {
    if (group_ < 0) group_ = names.classOf(text());
    return group_;
  }

 private:
  int index_;
  int group_ = -1;
};

// Beyond this many separate edits a long list is refilled at once, its selection and scroll
// position put back, instead of shifting its rows once per edit.
constexpr int kMaxSeparateEdits = 64;

// A list this long takes a noticeable time to group at its first refresh; a slice of it groups
// in about a millisecond.
constexpr int kWorthGroupingAhead = 2000;
constexpr int kGroupedPerSlice = 500;

}  // namespace

int entryIndex(const QListWidget* list, int row) {
  const QListWidgetItem* item = list->item(row);
  return item == nullptr ? -1 : item->data(kEntryIndexRole).toInt();
}

int selectedRow(const QListWidget* list) {
  const QModelIndexList selected = list->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void clearListSelection(QListWidget* list) {
  list->selectionModel()->clear();
}

ListUpdater::ListUpdater(NameClasses& names) : names_(names) {}

void ListUpdater::BeginListUpdate(QListWidget* list, bool reset) {
  list_ = list;
  signalsWereBlocked_ = list->blockSignals(true);
  list->setUpdatesEnabled(false);
  scrollValue_ = list->verticalScrollBar()->value();
  std::vector<int> groups;
  filled_ = reset;
  if (reset) {
    list->clear();
    scrollValue_ = 0;
    ++fills_;
  } else {
    groups.reserve(list->count());
    for (int row = 0; row < list->count(); ++row) {
      QListWidgetItem* item = list->item(row);
      auto* indexed = item->type() == QListWidgetItem::UserType ? static_cast<IndexedItem*>(item) : nullptr;
      groups.push_back(indexed != nullptr ? indexed->group(names_) : names_.classOf(item->text()));
    }
  }
  merge_.emplace(groups, [list](int row) { return list->item(row)->text(); });
}

void ListUpdater::AddListEntry(QListWidget* list, const QString& text, int index) {
  Q_ASSERT(list == list_ && merge_);
  merge_->add(merge_->hasFormerEntries() ? names_.classOf(text) : 0, text, index);
}

void ListUpdater::EndListUpdate(QListWidget* list) {
  Q_ASSERT(list == list_ && merge_);
  const ListPlan plan = merge_->finish();
  merge_.reset();

  const int selected = selectedRow(list);
  int separateEdits = 0;
  for (std::size_t i = 0; i < plan.removedRows.size(); ++i)
    if (i == 0 || plan.removedRows[i] != plan.removedRows[i - 1] + 1) ++separateEdits;
  int trailingNew = 0;
  for (auto row = plan.rows.rbegin(); row != plan.rows.rend() && row->formerRow < 0; ++row) ++trailingNew;
  for (const ListPlan::Row& row : plan.rows) separateEdits += row.formerRow < 0 ? 1 : 0;
  separateEdits -= trailingNew;

  if (separateEdits > kMaxSeparateEdits) rebuild(plan);
  else apply(plan);

  const bool selectedRemoved =
      selected >= 0 && std::binary_search(plan.removedRows.begin(), plan.removedRows.end(), selected);
  if (selectedRemoved) clearListSelection(list);

  list->doItemsLayout();
  list->verticalScrollBar()->setValue(scrollValue_);
  list->setUpdatesEnabled(true);
  list->blockSignals(signalsWereBlocked_);
  list_ = nullptr;
  if (filled_ && list->count() >= kWorthGroupingAhead) groupWhenIdle(list, 0, fills_);
}

void ListUpdater::groupWhenIdle(QListWidget* list, int fromRow, int fill) {
  QTimer::singleShot(0, &idleWork_, [this, list = QPointer<QListWidget>(list), fromRow, fill] {
    if (fill != fills_ || list == nullptr) return;
    const int end = std::min(list->count(), fromRow + kGroupedPerSlice);
    for (int row = fromRow; row < end; ++row)
      if (QListWidgetItem* item = list->item(row); item->type() == QListWidgetItem::UserType)
        static_cast<IndexedItem*>(item)->group(names_);
    if (end < list->count()) groupWhenIdle(list, end, fill);
  });
}

void ListUpdater::apply(const ListPlan& plan) {
  QListWidget* list = list_;
  // Remove runs of rows from the back, so that the rows before them keep their numbers.
  const auto& removed = plan.removedRows;
  for (std::size_t end = removed.size(); end > 0;) {
    std::size_t begin = end - 1;
    while (begin > 0 && removed[begin - 1] + 1 == removed[begin]) --begin;
    list->model()->removeRows(removed[begin], static_cast<int>(end - begin));
    end = begin;
  }
  // The remaining rows are the kept entries in order: renumber them, insert the new ones.
  int position = 0;
  for (const ListPlan::Row& row : plan.rows) {
    if (row.formerRow >= 0) {
      QListWidgetItem* item = list->item(position);
      if (item->type() == QListWidgetItem::UserType) static_cast<IndexedItem*>(item)->setIndex(row.index);
    } else {
      list->insertItem(position, new IndexedItem(row.text, row.index));
    }
    ++position;
  }
}

void ListUpdater::rebuild(const ListPlan& plan) {
  QListWidget* list = list_;
  const int selected = selectedRow(list);
  int selectedAfter = -1;
  std::vector<QString> texts(plan.rows.size());
  for (std::size_t i = 0; i < plan.rows.size(); ++i) {
    const ListPlan::Row& row = plan.rows[i];
    texts[i] = row.formerRow >= 0 ? list->item(row.formerRow)->text() : row.text;
    if (row.formerRow >= 0 && row.formerRow == selected) selectedAfter = static_cast<int>(i);
  }
  list->clear();
  for (std::size_t i = 0; i < plan.rows.size(); ++i) list->addItem(new IndexedItem(texts[i], plan.rows[i].index));
  if (selectedAfter >= 0) list->setCurrentRow(selectedAfter);
}

}  // namespace browser
