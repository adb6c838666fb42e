#include "panelforms.h"

#include <QAbstractButton>
#include <QIcon>
#include <QKeyEvent>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "platform/anchors.h"
#include "platform/fitcaptions.h"
#include "platform/fonts.h"
#include "ui_fmpanelform.h"
#include "ui_tvpanelform.h"

namespace browser {
namespace {

// List entries of the designed 13-pixel height.
class FixedHeightDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), 13};
  }
};

QFont tahoma(int pixelSize, bool bold) { return platform::describedFont(platform::Face::Tahoma, pixelSize, bold); }

}  // namespace

PanelForm::PanelForm(QWidget* host) : QWidget(host) {
  auto* layout = new QVBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(this);
}

void PanelForm::finishSetUp(PanelControls controls, QWidget* groupBox, QWidget* recentBox, QWidget* detailsStrip,
                            const QList<QWidget*>& recentLabels, const QList<QWidget*>& detailCaptions) {
  controls_ = controls;
  using namespace platform;

  for (QListWidget* list : {controls.regionList, controls.stationList})
    list->setItemDelegate(new FixedHeightDelegate(list));
  // The places stand on a plain area of their own inside the group: the accessibility layer names a
  // label without text after the group box that holds it, and an empty place must read as empty.
  auto* places = new QWidget(recentBox);
  places->setGeometry(recentBox->rect());
  for (QWidget* label : recentLabels) {
    const QRect at = label->geometry();
    label->setParent(places);
    label->setGeometry(at);
    label->show();
    label->setFont(tahoma(9, false));
    label->setStyleSheet(QStringLiteral("color: navy;"));
  }
  for (QWidget* caption : detailCaptions) caption->setFont(tahoma(11, true));
  // Read-only fields in the strip's own colour: their text can be selected and copied.
  for (QLineEdit* line : {controls.nameLine, controls.classificationLine, controls.encodingLine}) {
    QPalette palette = line->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    line->setPalette(palette);
  }

  QIcon glyph;
  glyph.addFile(QStringLiteral(":/images/start.png"), {}, QIcon::Normal);
  glyph.addFile(QStringLiteral(":/images/start-disabled.png"), {}, QIcon::Disabled);
  controls.startButton->setIcon(glyph);
  controls.startButton->setIconSize({32, 32});
  // The other buttons are auto-default, so Enter presses whichever has the focus. START is not:
  // outside a dialog an auto-default button stops being the default when it loses the focus.
  controls.startButton->setDefault(true);

  // Station buttons start disabled; "Dodaj stację" never is.
  for (QPushButton* button : {controls.editButton, controls.deleteButton, controls.copyButton, controls.wwwButton,
                              controls.scheduleButton, controls.startButton})
    if (button != nullptr) button->setEnabled(false);

  growCaptionsIntoFreeSpace(this);
  auto* formAnchors = new Anchors(this);
  formAnchors->add(groupBox, AnchorAll);
  formAnchors->add(detailsStrip, AnchorLeft | AnchorRight | AnchorBottom);
  auto* boxAnchors = new Anchors(groupBox);
  boxAnchors->add(controls.regionList, AnchorLeft | AnchorTop | AnchorBottom);
  boxAnchors->add(controls.stationList, AnchorAll);
  for (QWidget* button : {controls.addButton, controls.editButton, controls.deleteButton, controls.copyButton})
    boxAnchors->add(button, AnchorTop | AnchorRight);
  boxAnchors->add(recentBox, AnchorTop | AnchorRight);
  auto* stripAnchors = new Anchors(detailsStrip);
  for (QWidget* line : {controls.nameLine, controls.classificationLine, controls.encodingLine})
    stripAnchors->add(line, AnchorLeft | AnchorTop | AnchorRight);
  for (QWidget* button : {controls.wwwButton, controls.scheduleButton, controls.startButton})
    if (button != nullptr) stripAnchors->add(button, AnchorTop | AnchorRight);
}

void PanelForm::keyPressEvent(QKeyEvent* event) {
  // Enter that no control took presses START, unless another button has the focus.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  QPushButton* start = controls_.startButton;
  if (enter && start != nullptr && start->isEnabled() && start->isVisible() &&
      qobject_cast<QAbstractButton*>(focusWidget()) == nullptr) {
    start->click();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

TvPanelForm::TvPanelForm(QWidget* host) : PanelForm(host), ui(new Ui::TvPanelForm) {
  ui->setupUi(this);
  finishSetUp({ui->ListBox1, ui->ListBox2, ui->Button7, ui->Button8, ui->Button9, ui->Button10, ui->Edit3, ui->Edit4,
               ui->Edit5, ui->Button4, ui->Button6, ui->BitBtn1, {ui->Label9, ui->Label10, ui->Label11}},
              ui->GroupBox5, ui->GroupBox6, ui->Panel1,
              {ui->Label15, ui->Label14, ui->Label13, ui->Label9, ui->Label10, ui->Label11},
              {ui->Label5, ui->Label12, ui->Label6});
}

TvPanelForm::~TvPanelForm() { delete ui; }

FmPanelForm::FmPanelForm(QWidget* host) : PanelForm(host), ui(new Ui::FmPanelForm) {
  ui->setupUi(this);
  finishSetUp({ui->ListBox3, ui->ListBox4, ui->Button5, ui->Button11, ui->Button12, ui->Button13, ui->Edit6, ui->Edit7,
               ui->Edit8, ui->Button14, nullptr, ui->BitBtn2, {ui->Label18, ui->Label19, ui->Label20}},
              ui->GroupBox7, ui->GroupBox8, ui->Panel2,
              {ui->Label23, ui->Label22, ui->Label21, ui->Label18, ui->Label19, ui->Label20},
              {ui->Label24, ui->Label26, ui->Label25});
}

FmPanelForm::~FmPanelForm() { delete ui; }

}  // namespace browser

#include "moc_panelforms.cpp"
