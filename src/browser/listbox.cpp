#include "listbox.h"

#include <QMouseEvent>

namespace browser {

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index, const QEvent* event) const {
  const QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
  if (!index.isValid() || flags.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
    return QItemSelectionModel::NoUpdate;
  return flags;
}

void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) Q_EMIT DblClick();
}

}  // namespace browser

#include "moc_listbox.cpp"
