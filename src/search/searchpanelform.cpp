#include "searchpanelform.h"

#include <QKeyEvent>
#include <utility>

#include "platform/anchors.h"
#include "platform/fitcaptions.h"
#include "platform/shell.h"
#include "search/searchaddress.h"
#include "ui_searchpanelform.h"

namespace search {

namespace {
constexpr int kSearchCategory = 2;  // "Wyszukiwarka" in the category list
}  // namespace

SearchPanelForm::SearchPanelForm(QWidget* host, platform::Services services, QWidget* /*mainWindow*/)
    : QWidget(host), ui(new Ui::SearchPanelForm), services_(services) {
  ui->setupUi(this);
  platform::growCaptionsIntoFreeSpace(this);
  ui->Label3->adjustSize();
  ui->Label4->adjustSize();

  using namespace platform;
  auto* anchors = new Anchors(this);
  anchors->add(ui->Edit1, AnchorLeft | AnchorTop | AnchorRight);
  anchors->add(ui->Button3, AnchorTop | AnchorRight);

  connect(ui->Button3, &QPushButton::clicked, this, &SearchPanelForm::Button3Click);
  for (QRadioButton* button : {ui->RadioButton1, ui->RadioButton2}) runOnCheck(button, &SearchPanelForm::RadioButton1Click);
  for (QRadioButton* button : {ui->RadioButton7, ui->RadioButton5, ui->RadioButton3, ui->RadioButton4,
                               ui->RadioButton6, ui->RadioButton8})
    runOnCheck(button, &SearchPanelForm::RadioButton7Click);
  runOnCheck(ui->RadioButton9, &SearchPanelForm::RadioButton9Click);
  // "podziemie" has no handler: it leaves the Polish-only box and the extension field as the
  // previous kind left them; its search reads neither.
  ui->Edit2->installEventFilter(this);
}

SearchPanelForm::~SearchPanelForm() { delete ui; }

void SearchPanelForm::runOnCheck(QRadioButton* button, void (SearchPanelForm::*handler)()) {
  connect(button, &QAbstractButton::toggled, this, [this, handler](bool checked) {
    if (checked) (this->*handler)();
  });
}

void SearchPanelForm::CategorySelectSelectItem(int itemIndex, bool selected) {
  if (!selected || itemIndex != kSearchCategory) return;
  ui->Edit1->setFocus(Qt::OtherFocusReason);
  ui->RadioButton1->setChecked(true);
  ui->CheckBox8->setEnabled(true);
}

void SearchPanelForm::Button3Click() {
  const std::pair<QRadioButton*, SearchKind> kinds[] = {
      {ui->RadioButton1, SearchKind::Web},         {ui->RadioButton7, SearchKind::FtpFiles},
      {ui->RadioButton2, SearchKind::NewsGroups},  {ui->RadioButton5, SearchKind::Goods},
      {ui->RadioButton3, SearchKind::Images},      {ui->RadioButton4, SearchKind::Music},
      {ui->RadioButton6, SearchKind::Torrents},    {ui->RadioButton8, SearchKind::PdfBooks},
      {ui->RadioButton9, SearchKind::OtherExtension}, {ui->RadioButton10, SearchKind::Underground},
  };
  for (const auto& [button, kind] : kinds) {
    if (!button->isChecked()) continue;
    const std::optional<QString> address =
        SearchAddress({kind, ui->Edit1->text(), ui->Edit2->text(), ui->CheckBox8->isChecked()});
    if (address) services_.shell.ShellOpen(*address);
    return;
  }
}

void SearchPanelForm::RadioButton1Click() {
  ui->CheckBox8->setEnabled(true);
  ui->Edit1->setFocus(Qt::OtherFocusReason);
  ui->Edit2->setEnabled(false);
}

void SearchPanelForm::RadioButton7Click() {
  ui->CheckBox8->setChecked(false);
  ui->CheckBox8->setEnabled(false);
  ui->Edit1->setFocus(Qt::OtherFocusReason);
  ui->Edit2->setEnabled(false);
}

void SearchPanelForm::RadioButton9Click() {
  ui->CheckBox8->setChecked(false);
  ui->Edit2->setEnabled(true);
  ui->CheckBox8->setEnabled(false);
  ui->Edit2->setFocus(Qt::OtherFocusReason);
}

void SearchPanelForm::Edit2Enter() {
  ui->RadioButton9->setChecked(true);
  ui->CheckBox8->setChecked(false);
  ui->CheckBox8->setEnabled(false);
}

bool SearchPanelForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui->Edit2 && event->type() == QEvent::FocusIn) {
    // Only a move of the focus within the window enters the field, not the window coming back.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Edit2Enter();
  }
  return QWidget::eventFilter(watched, event);
}

void SearchPanelForm::keyPressEvent(QKeyEvent* event) {
  // "Szukaj" is the panel's default button: an Enter that no control inside the panel used
  // (the query field passes it on) presses it.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    ui->Button3->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace search

#include "moc_searchpanelform.cpp"
