#include "tmainform.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidgetItem>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/bannerschedule.h"
#include "app/producer.h"
#include "app/tform4.h"
#include "app/update/updatecontroller.h"
#include "browser/panelforms.h"
#include "browser/stationbrowser.h"
#include "platform/anchors.h"
#include "platform/fitcaptions.h"
#include "platform/fonts.h"
#include "platform/shell.h"
#include "playback/launcher.h"
#include "privacy/privacypanelform.h"
#include "search/searchpanelform.h"
#include "ui_tmainform.h"

namespace app {
namespace {

// The outer size the window was laid out for: a 692 x 556 client area in its frame.
constexpr QSize kDesignedOuterSize(700, 590);

void fillHost(QWidget* host, QWidget* content) {
  auto* layout = new QVBoxLayout(host);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(content);
}

// The controls of a form that Tab stops at, in the order the form gave them.
QList<QWidget*> tabStops(QWidget* form) {
  QList<QWidget*> stops;
  for (QWidget* widget = form->nextInFocusChain(); widget != form; widget = widget->nextInFocusChain())
    if (form->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) && widget->focusProxy() == nullptr)
      stops << widget;
  return stops;
}

}  // namespace

TMainForm::TMainForm(MainFormEnvironment environment)
    : QWidget(nullptr), ui(new Ui::TMainForm), environment_(std::move(environment)), BannerTimer(new QTimer(this)) {
  ui->setupUi(this);
  setMinimumSize(692, 556);
  BannerTimer->setInterval(kBannerFirstTickMs);

  static const char* const icons[] = {":/icons/telewizja.png", ":/icons/radio.png", ":/icons/wyszukiwarka.png",
                                      ":/icons/prywatnosc.png"};
  for (int i = 0; i < ui->CategorySelect->count(); ++i) {
    QListWidgetItem* item = ui->CategorySelect->item(i);
    item->setIcon(QIcon(QString::fromLatin1(icons[i])));
    item->setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
  }
  ui->Image1->setPixmap(QPixmap(QStringLiteral(":/images/header.png")));
  ui->Label1->setFont(platform::describedFont(platform::Face::MsSansSerif, 11, true));
  ui->Label1->setAttribute(Qt::WA_TranslucentBackground);
  ui->Label30->setCursor(Qt::PointingHandCursor);
  ui->Label30->setStyleSheet(QStringLiteral("color: navy; text-decoration: underline;"));
  ui->Label30->installEventFilter(this);
  platform::growCaptionsIntoFreeSpace(this);
  ui->CategorySelect->installEventFilter(this);
  setUpAnchors();

  // Escape presses the window's first cancel button.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, ui->CloseButton, &QPushButton::click);
  // Ctrl+Page Down and Ctrl+Page Up go through the categories as through the pages of a tabbed
  // window, the only way out of the search panel without a mouse.
  auto* nextCategory = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
  connect(nextCategory, &QShortcut::activated, this, [this] { chooseNeighbourCategory(1); });
  auto* previousCategory = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
  connect(previousCategory, &QShortcut::activated, this, [this] { chooseNeighbourCategory(-1); });
  connect(ui->CloseButton, &QPushButton::clicked, this, &TMainForm::CloseButtonClick);
  connect(ui->HelpButton, &QPushButton::clicked, this, &TMainForm::HelpButtonClick);
  connect(ui->UpdateButton, &QPushButton::clicked, this, &TMainForm::UpdateButtonClick);
  connect(BannerTimer, &QTimer::timeout, this, &TMainForm::BannerTimerTimer);

  browser_ = new browser::StationBrowser(ui->TVPanel, ui->FMPanel, environment_.services, this,
                                         environment_.programFolder);
  if (environment_.feedReads) browser_->TakeReads(std::move(environment_.feedReads));
  launcher_ = new playback::Launcher(*browser_, environment_.services, this);
  search_ = new search::SearchPanelForm(ui->SearchPanel, environment_.services, this);
  fillHost(ui->SearchPanel, search_);
  privacy_ = new privacy::PrivacyPanelForm(ui->PrivacyPanel, environment_.services, this, environment_.privacy);
  fillHost(ui->PrivacyPanel, privacy_);

  FormCreate();
  setUpTabOrder();
  placeAtScreenCentre();
}

TMainForm::~TMainForm() { delete ui; }

void TMainForm::setUpAnchors() {
  using namespace platform;
  auto* anchors = new Anchors(this);
  anchors->add(ui->Panel3, AnchorLeft | AnchorTop | AnchorRight);
  anchors->add(ui->Bevel1, AnchorLeft | AnchorTop | AnchorRight);
  anchors->add(ui->CategoryPanel, AnchorLeft | AnchorTop | AnchorBottom);
  anchors->add(ui->Shape1, AnchorLeft | AnchorTop | AnchorRight);
  anchors->add(ui->Image1, AnchorLeft | AnchorTop | AnchorRight);
  anchors->add(ui->Label1, AnchorLeftTop);
  for (QWidget* panel : {ui->TVPanel, ui->FMPanel, ui->SearchPanel, ui->PrivacyPanel}) anchors->add(panel, AnchorAll);
  anchors->add(ui->Label29, AnchorLeft | AnchorBottom);
  anchors->add(ui->Label30, AnchorLeft | AnchorBottom);
  for (QWidget* button : {ui->HelpButton, ui->UpdateButton, ui->CloseButton})
    anchors->add(button, AnchorRight | AnchorBottom);

  auto* categoryAnchors = new Anchors(ui->CategoryPanel);
  categoryAnchors->add(ui->CategorySelectTitle, AnchorLeft | AnchorTop | AnchorRight);
  categoryAnchors->add(ui->CategorySelect, AnchorAll);
}

// The panels' forms come after the window's own controls were made, and Qt puts later widgets at
// the end of the chain: the category list, then the panels' controls, then the bottom bar.
void TMainForm::setUpTabOrder() {
  QList<QWidget*> chain{ui->CategorySelect};
  for (QWidget* form : {browser_->tvForm(), browser_->fmForm(), static_cast<QWidget*>(search_),
                        static_cast<QWidget*>(privacy_)})
    chain += tabStops(form);
  chain << ui->HelpButton << ui->UpdateButton << ui->CloseButton;
  for (qsizetype i = 0; i + 1 < chain.size(); ++i) QWidget::setTabOrder(chain[i], chain[i + 1]);
}

void TMainForm::placeAtScreenCentre() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  // The frame is not known before the window shows: the size it was laid out with stands in.
  QRect outer(QPoint(), isVisible() ? frameGeometry().size() : kDesignedOuterSize);
  outer.moveCenter(screen->geometry().center());
  move(outer.topLeft());
}

void TMainForm::FormCreate() {
  // 1. The connection-state lookup, once.
  if (environment_.lookupConnectedQuery) InternetConnectedQuery = environment_.lookupConnectedQuery();
  // 2. No station selected yet: the browser starts with SelectedTv and SelectedRadio at -1.
  // 3. The privacy options, read before their handlers are attached.
  privacy_->ReadOptions();
  // 4. and 5. The catalogue refresh hooks, then the catalogues.
  browser_->SetRefreshHooks();
  browser_->LoadTvFeed();
  browser_->LoadRadioFeed();
}

void TMainForm::CreateSecondaryWindows() {
  privacy_->CreateBusyNote();
  browser_->CreateEditors();
  updateWindow_ = new TForm4(this);
}

bool TMainForm::event(QEvent* event) {
  if (event->type() == QEvent::Paint && paintHandlerAttached_) {
    const bool handled = QWidget::event(event);
    FormPaint();
    return handled;
  }
  return QWidget::event(event);
}

void TMainForm::FormPaint() {
  paintHandlerAttached_ = false;
  // Only now does the category list get its handlers: nothing that happened to it while the
  // window was being built switches panels.
  connect(ui->CategorySelect, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* current, QListWidgetItem* previous) {
            CategorySelectChange(current);
            if (previous != nullptr) search_->CategorySelectSelectItem(ui->CategorySelect->row(previous), false);
            if (current != nullptr) search_->CategorySelectSelectItem(ui->CategorySelect->row(current), true);
          });
  ui->CategorySelect->setCurrentRow(0);
  // The banner's web engine costs a third of a second and 200 MB: the window is on screen first.
  BannerTimer->start();
  Q_EMIT firstPainted();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // The producer link opens on a left click released inside it, as a button would.
  if (watched == ui->Label30) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
      producerPressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
      return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const bool click = producerPressed_ && mouse->button() == Qt::LeftButton &&
                         ui->Label30->rect().contains(mouse->position().toPoint());
      producerPressed_ = false;
      if (click) Label30Click();
      return true;
    }
  }
  if (watched == ui->CategorySelect && event->type() == QEvent::FocusIn && !paintHandlerAttached_) {
    // CategorySelectEnter: the search panel's category reset for the selected item.
    const int row = ui->CategorySelect->currentRow();
    if (row >= 0) search_->CategorySelectSelectItem(row, true);
  }
  return QWidget::eventFilter(watched, event);
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
  // The category list passes Enter on: it is the shown panel's, whose START is its default button.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && focusWidget() == ui->CategorySelect) {
    for (QPushButton* start : {browser_->tvControls().startButton, browser_->fmControls().startButton})
      if (start->isVisible() && start->isEnabled()) {
        start->click();
        event->accept();
        return;
      }
  }
  QWidget::keyPressEvent(event);
}

// As a click on the category would do. The list takes the focus after the change, so that the
// focus never stays behind in the panel just hidden; on "Wyszukiwarka" it moves on to the query.
void TMainForm::chooseNeighbourCategory(int step) {
  QListWidget* list = ui->CategorySelect;
  const int count = list->count();
  list->setCurrentRow((list->currentRow() + step + count) % count);
  list->setFocus(Qt::ShortcutFocusReason);
}

void TMainForm::CategorySelectChange(QListWidgetItem* item) {
  if (item == nullptr) return;
  ui->Label1->setText(item->text());
  const int index = ui->CategorySelect->row(item);
  ui->TVPanel->setVisible(index == 0);
  ui->FMPanel->setVisible(index == 1);
  ui->SearchPanel->setVisible(index == 2);
  ui->PrivacyPanel->setVisible(index == 3);
}

void TMainForm::CloseButtonClick() { close(); }

void TMainForm::HelpButtonClick() {
  environment_.services.shell.ShellOpen(environment_.helpPage);
}

void TMainForm::Label30Click() {
  environment_.services.shell.ShellOpen(kProducerHomePage, {}, platform::ShowState::Maximised);
}

void TMainForm::UpdateButtonClick() {
  if (updateWindow_ == nullptr) return;  // the update window comes after the main window
  if (updater_ == nullptr)
    updater_ = new UpdateController(*static_cast<TForm4*>(updateWindow_), environment_.services.boxes, this,
                                    std::make_unique<BrowserCatalogueSink>(*browser_, environment_.programFolder),
                                    updateSources(), UpdateLimits{}, this);
  updater_->run();
}

void TMainForm::BannerTimerTimer() {
  const BannerTick tick = bannerTick(InternetConnectedQuery);
  BannerTimer->setInterval(tick.nextIntervalMs);
  if (environment_.loadBanner) environment_.loadBanner(ui->Panel3, tick.navigate ? bannerPage() : QUrl());
}

}  // namespace app

#include "moc_tmainform.cpp"
