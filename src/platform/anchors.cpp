#include "anchors.h"

#include <QEvent>
#include <QWidget>

namespace platform {

Anchors::Anchors(QWidget* parent) : QObject(parent), parent_(parent) { parent->installEventFilter(this); }

void Anchors::add(QWidget* control, unsigned anchors) {
  entries_.push_back({control, anchors, control->geometry(), parent_->size()});
}

bool Anchors::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent_ && event->type() == QEvent::Resize) apply();
  return QObject::eventFilter(watched, event);
}

void Anchors::apply() {
  const QSize now = parent_->size();
  for (const Entry& e : entries_) {
    const int dx = now.width() - e.designParent.width();
    const int dy = now.height() - e.designParent.height();
    QRect r = e.designRect;
    if ((e.anchors & AnchorRight) != 0) {
      if ((e.anchors & AnchorLeft) != 0) r.setWidth(r.width() + dx);
      else r.moveLeft(r.left() + dx);
    }
    if ((e.anchors & AnchorBottom) != 0) {
      if ((e.anchors & AnchorTop) != 0) r.setHeight(r.height() + dy);
      else r.moveTop(r.top() + dy);
    }
    e.control->setGeometry(r);
  }
}

}  // namespace platform
