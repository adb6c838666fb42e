#include "hintpause.h"

#include <QEvent>
#include <QWidget>

namespace app {

bool HintPause::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->toolTipDuration() < 0) widget->setToolTipDuration(milliseconds_);
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace app
