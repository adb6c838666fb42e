#include "fitcaptions.h"

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

namespace platform {
namespace {

bool showsOneLineCaption(const QWidget* widget) {
  if (const auto* label = qobject_cast<const QLabel*>(widget))
    return !label->text().isEmpty() && !label->wordWrap() && label->pixmap().isNull();
  return qobject_cast<const QCheckBox*>(widget) != nullptr || qobject_cast<const QRadioButton*>(widget) != nullptr;
}

// How far the control may reach to the right: the parent's inner edge, or the nearest sibling
// that starts to its right on the same rows.
int rightLimit(const QWidget* control) {
  const QWidget* parent = control->parentWidget();
  int limit = parent->contentsRect().right() + 1;
  const QRect own = control->geometry();
  for (const QObject* object : parent->children()) {
    const auto* sibling = qobject_cast<const QWidget*>(object);
    if (sibling == nullptr || sibling == control || sibling->isWindow()) continue;
    const QRect other = sibling->geometry();
    const bool sameRows = other.top() <= own.bottom() && other.bottom() >= own.top();
    if (sameRows && other.left() >= own.right()) limit = qMin(limit, other.left());
  }
  return limit;
}

}  // namespace

void growCaptionsIntoFreeSpace(QWidget* form) {
  for (QWidget* control : form->findChildren<QWidget*>()) {
    if (!showsOneLineCaption(control) || control->parentWidget() == nullptr) continue;
    const int wanted = control->sizeHint().width();
    if (wanted <= control->width()) continue;
    const int room = rightLimit(control) - control->x();
    if (room > control->width()) control->resize(qMin(wanted, room), control->height());
  }
}

}  // namespace platform
