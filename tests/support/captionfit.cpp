#include "captionfit.h"

#include <optional>

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

namespace testsupport {
namespace {

int textWidth(const QWidget* widget, const QString& text) {
  return widget->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

QStyleOptionButton indicatorOption(QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  option.icon = button->icon();
  option.iconSize = button->iconSize();
  return option;
}

struct Need {
  int needed;
  int available;
};

// The text goes into the rectangle the style keeps for it beside the indicator or bevel.
std::optional<Need> need(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    if (label->text().isEmpty() || label->wordWrap() || !label->pixmap().isNull()) return std::nullopt;
    const int margins = 2 * label->margin() + 2 * label->frameWidth() + qMax(0, label->indent());
    return Need{textWidth(label, label->text()) + margins, label->width()};
  }
  if (auto* button = qobject_cast<QPushButton*>(widget)) {
    if (button->text().isEmpty()) return std::nullopt;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (button->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
    if (button->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    int needed = textWidth(button, button->text());
    if (!button->icon().isNull()) needed += button->iconSize().width() + 4;
    return Need{needed, room.width()};
  }
  if (auto* check = qobject_cast<QCheckBox*>(widget)) {
    const QStyleOptionButton option = indicatorOption(check);
    const QRect room = check->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, check);
    return Need{textWidth(check, check->text()), room.width()};
  }
  if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
    const QStyleOptionButton option = indicatorOption(radio);
    const QRect room = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
    return Need{textWidth(radio, radio->text()), room.width()};
  }
  if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    if (group->title().isEmpty()) return std::nullopt;
    QStyleOptionGroupBox option;
    option.initFrom(group);
    option.text = group->title();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.textAlignment = group->alignment();
    const QRect label = group->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, group);
    // The caption starts where the style puts it and may run to the box's right edge less as much.
    return Need{label.left() + textWidth(group, group->title()), group->width() - label.left()};
  }
  return std::nullopt;
}

}  // namespace

QStringList cutCaptions(QWidget* root) {
  QStringList cut;
  QList<QWidget*> widgets{root};
  widgets += root->findChildren<QWidget*>();
  for (QWidget* widget : std::as_const(widgets)) {
    const std::optional<Need> n = need(widget);
    if (n && n->needed > n->available)
      cut << QStringLiteral("%1 \"%2\" needs %3, has %4")
                 .arg(widget->objectName(), widget->property("text").isValid() ? widget->property("text").toString()
                                                                               : widget->property("title").toString())
                 .arg(n->needed)
                 .arg(n->available);
  }
  return cut;
}

}  // namespace testsupport
