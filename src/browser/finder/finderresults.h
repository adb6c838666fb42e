#pragma once

#include <QAbstractListModel>
#include <vector>

namespace browser {

class StationIndex;
struct FinderEntry;

// The finder's list: each station found as "name — region", or one line that says nothing was
// found. Empty while nothing has been typed.
class FinderResults final : public QAbstractListModel {
  Q_OBJECT
 public:
  static constexpr char16_t kNothingFound[] = u"Brak stacji o takiej nazwie";

  explicit FinderResults(QObject* parent = nullptr);
  // `found` are positions in `index`, which must stay as it is while they are shown.
  void show(const StationIndex* index, std::vector<int> found, bool searched);

  // Without the generic checks of its base: a view lays out every row through it.
  QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The station on a row, or nullptr for the nothing-found line and rows the list does not have.
  const FinderEntry* entryAt(int row) const;

 private:
  const StationIndex* index_ = nullptr;
  std::vector<int> found_;
  bool searched_ = false;
};

}  // namespace browser
