#pragma once

#include <QListWidget>

namespace browser {

// The panels' list box: one entry selected at most, and once the user has chosen one, only the
// program takes the selection away (Ctrl+click, Ctrl+Space or a click beside the entries leave
// it). A double-click anywhere on the box is reported, on an entry or beside the entries.
class ListBox final : public QListWidget {
  Q_OBJECT
 public:
  using QListWidget::QListWidget;

 Q_SIGNALS:
  void DblClick();

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace browser
