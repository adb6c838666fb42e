#include "finderresults.h"

#include "browser/finder/stationindex.h"
#include "catalogue/regions.h"

namespace browser {

FinderResults::FinderResults(QObject* parent) : QAbstractListModel(parent) {}

void FinderResults::show(const StationIndex* index, std::vector<int> found, bool searched) {
  beginResetModel();
  index_ = index;
  found_ = std::move(found);
  searched_ = searched;
  endResetModel();
}

QModelIndex FinderResults::index(int row, int column, const QModelIndex& parent) const {
  const bool valid = column == 0 && !parent.isValid() && row >= 0 && row < rowCount();
  return valid ? createIndex(row, column) : QModelIndex();
}

int FinderResults::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  if (!found_.empty()) return static_cast<int>(found_.size());
  return searched_ ? 1 : 0;
}

QVariant FinderResults::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  if (!index.isValid()) return {};
  const FinderEntry* entry = entryAt(index.row());
  if (entry == nullptr) return QString::fromUtf16(kNothingFound);
  return entry->name + QStringLiteral(" — ") + catalogue::regionName(entry->regionRow);
}

Qt::ItemFlags FinderResults::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // The nothing-found line can be read, not chosen.
  return entryAt(index.row()) != nullptr ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                                         : Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

const FinderEntry* FinderResults::entryAt(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= found_.size()) return nullptr;
  return &index_->entry(found_[static_cast<std::size_t>(row)]);
}

}  // namespace browser

#include "moc_finderresults.cpp"
