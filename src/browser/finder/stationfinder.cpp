#include "stationfinder.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScopeGuard>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "browser/finder/finderresults.h"
#include "browser/finder/stationindex.h"
#include "browser/listupdater.h"

namespace browser {
namespace {

// The finder also covers the captions above the lists.
constexpr int kCaptionRow = 24;
// The button stands above "Dodaj stację", as far from it as the catalogue buttons from each other.
constexpr int kButtonGap = 2;
// Rows of the result list laid out at a time: far more than it shows, quickly enough for typing.
constexpr int kLayoutBatch = 2000;

bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }
bool plain(const QKeyEvent* key) { return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier; }

// Selects the entry that stands for `value` as a click on it would, and shows it.
void selectEntry(QListWidget* list, int value) {
  for (int row = 0; row < list->count(); ++row)
    if (entryIndex(list, row) == value) {
      list->setCurrentRow(row);
      list->scrollToItem(list->item(row));
      return;
    }
}

}  // namespace

StationFinder::StationFinder(QWidget* form, const PanelControls& controls, std::function<Stations()> stations)
    : QObject(form),
      form_(form),
      c_(controls),
      stations_(std::move(stations)),
      prepareTimer_(new QTimer(this)),
      results_(new FinderResults(this)),
      button_(new QPushButton(QStringLiteral("Znajdź stację…"), controls.addButton->parentWidget())) {
  // After a load, an update or a run of edits, once the catalogue has been still for a moment;
  // never before the window's first paint.
  constexpr int kStillForMs = 1000;
  prepareTimer_->setSingleShot(true);
  prepareTimer_->setInterval(kStillForMs);
  connect(prepareTimer_, &QTimer::timeout, this, &StationFinder::prepareIndex);
  auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), form_);
  connect(shortcut, &QShortcut::activated, this, &StationFinder::open);

  // Out of the Tab order, which stays as the panel's controls give it; Ctrl+F is the keyboard's way.
  button_->setObjectName(QStringLiteral("FindStationButton"));
  button_->setFocusPolicy(Qt::NoFocus);
  button_->setToolTip(QStringLiteral("Znajduje stację po nazwie we wszystkich regionach (Ctrl+F)"));
  button_->setAccessibleDescription(QStringLiteral("Skrót klawiszowy: Ctrl+F"));
  connect(button_, &QPushButton::clicked, this, &StationFinder::open);
  placeButton();
  button_->show();

  form_->installEventFilter(this);
  c_.addButton->installEventFilter(this);
  c_.stationList->installEventFilter(this);
}

StationFinder::~StationFinder() = default;

void StationFinder::prepareIndex() {
  if (overlay_ != nullptr || indexCurrent_ || preparing_.valid()) return;
  std::unique_ptr<StationIndex> index = index_ ? std::move(index_) : std::make_unique<StationIndex>();
  preparedAt_ = changes_;
  preparing_ = std::async(std::launch::async, [index = std::move(index), stations = stations_()]() mutable {
    index->rebuild(stations);
    return std::move(index);
  });
}

void StationFinder::takePreparedIndex() {
  if (!preparing_.valid()) return;
  index_ = preparing_.get();
  indexCurrent_ = preparedAt_ == changes_;
}

void StationFinder::open() {
  if (overlay_ == nullptr) {
    focusBefore_ = QApplication::focusWidget();
    prepareTimer_->stop();
    if (preparing_.valid() || !indexCurrent_) {
      QGuiApplication::setOverrideCursor(Qt::WaitCursor);
      const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
      takePreparedIndex();
      if (!indexCurrent_) {
        if (index_ == nullptr) index_ = std::make_unique<StationIndex>();
        index_->rebuild(stations_());
        indexCurrent_ = true;
      }
    }
    overlay_ = new QFrame(form_);
    overlay_->setObjectName(QStringLiteral("StationFinder"));
    overlay_->setFrameShape(QFrame::StyledPanel);
    overlay_->setFrameShadow(QFrame::Raised);
    overlay_->setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(overlay_);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    field_ = new QLineEdit(overlay_);
    field_->setObjectName(QStringLiteral("FinderField"));
    field_->setAccessibleName(QStringLiteral("Znajdź stację"));
    field_->setPlaceholderText(QStringLiteral("Znajdź stację: nazwa lub jej część"));
    list_ = new QListView(overlay_);
    list_->setObjectName(QStringLiteral("FinderResults"));
    list_->setAccessibleName(QStringLiteral("Znalezione stacje"));
    list_->setUniformItemSizes(true);
    // Tens of thousands of stations found are laid out a part at a time, the first part at once.
    list_->setLayoutMode(QListView::Batched);
    list_->setBatchSize(kLayoutBatch);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setModel(results_);
    layout->addWidget(field_);
    layout->addWidget(list_);
    results_->show(index_.get(), {}, false);
    connect(field_, &QLineEdit::textChanged, this, &StationFinder::search);
    connect(list_, &QListView::doubleClicked, this, [this](const QModelIndex& index) { choose(index.row()); });
    field_->installEventFilter(this);
    list_->installEventFilter(this);
    place();
    overlay_->show();
    overlay_->raise();
  }
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

void StationFinder::close(bool restoreFocus) {
  if (overlay_ == nullptr) return;
  QFrame* overlay = overlay_;
  overlay_ = nullptr;
  field_ = nullptr;
  list_ = nullptr;
  overlay->hide();
  overlay->deleteLater();
  results_->show(nullptr, {}, false);
  if (!restoreFocus) return;
  QWidget* back = focusBefore_;
  if (back == nullptr || !back->isVisible() || !back->isEnabled()) back = c_.stationList;
  back->setFocus(Qt::OtherFocusReason);
}

void StationFinder::catalogueChanged() {
  indexCurrent_ = false;
  ++changes_;
  if (overlay_ == nullptr) {
    prepareTimer_->start();
    return;
  }
  // The station the user was on stays the current one while it is still found.
  const int currentRow = list_->currentIndex().row();
  const FinderEntry* current = results_->entryAt(currentRow);
  const QString currentName = current != nullptr ? current->name : QString();
  const int currentRegion = current != nullptr ? current->regionRow : -1;
  const bool listHadFocus = list_->hasFocus();
  results_->show(index_.get(), {}, false);
  index_->rebuild(stations_());
  indexCurrent_ = true;
  search();
  for (int row = 0; current != nullptr && row < results_->rowCount(); ++row) {
    const FinderEntry* entry = results_->entryAt(row);
    if (entry != nullptr && entry->name == currentName && entry->regionRow == currentRegion) {
      list_->setCurrentIndex(results_->index(row));
      return;
    }
  }
  if (listHadFocus && results_->rowCount() > 0) list_->setCurrentIndex(results_->index(0));
  else if (listHadFocus) field_->setFocus(Qt::OtherFocusReason);
}

void StationFinder::search() {
  const QString text = field_->text();
  results_->show(index_.get(), index_->find(text), !text.trimmed().isEmpty());
}

void StationFinder::choose(int row) {
  const FinderEntry* entry = results_->entryAt(row);
  if (entry == nullptr) return;
  const int regionRow = entry->regionRow;
  const int index = entry->index;
  close(false);
  selectEntry(c_.regionList, regionRow);
  selectEntry(c_.stationList, index);
  c_.stationList->setFocus(Qt::OtherFocusReason);
}

bool StationFinder::eventFilter(QObject* watched, QEvent* event) {
  const bool finderPart = overlay_ != nullptr && (watched == field_ || watched == list_);
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // Escape belongs to the finder while it has the focus, not to the window's close shortcut.
      if (finderPart) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && plain(key)) {
          event->accept();
          return true;
        }
      }
      break;
    case QEvent::KeyPress:
      if (finderPart) return keyPressed(watched, static_cast<QKeyEvent*>(event));
      break;
    case QEvent::Hide:
      // Another category is shown: the finder goes with its panel.
      if (watched == form_) close(false);
      break;
    case QEvent::Move:
    case QEvent::Resize:
      if (watched == c_.addButton) placeButton();
      else if (watched == c_.stationList && overlay_ != nullptr) place();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

// The keys the finder takes; all others go to the field or the list as usual.
bool StationFinder::keyPressed(QObject* watched, const QKeyEvent* key) {
  const bool inList = watched == list_;
  if (key->key() == Qt::Key_Escape && plain(key)) {
    close(true);
    return true;
  }
  // Enter never reaches the panel, whose START it would press.
  if (isEnter(key)) {
    choose(inList ? list_->currentIndex().row() : 0);
    return true;
  }
  if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
    // Tab goes between the field and the list: the finder covers the panel's lists.
    (inList ? static_cast<QWidget*>(field_) : list_)->setFocus(Qt::TabFocusReason);
    return true;
  }
  if (!inList) {
    if (key->key() == Qt::Key_Down && plain(key) && results_->rowCount() > 0) {
      list_->setFocus(Qt::OtherFocusReason);
      list_->setCurrentIndex(results_->index(0));
      return true;
    }
    return false;
  }
  if (key->key() == Qt::Key_Up && plain(key) && list_->currentIndex().row() <= 0) {
    field_->setFocus(Qt::OtherFocusReason);
    return true;
  }
  // Typing in the list goes on in the field.
  const QString text = key->text();
  const bool typing = key->key() == Qt::Key_Backspace || (!text.isEmpty() && text.at(0).isPrint() &&
                                                          !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)));
  if (typing) {
    field_->setFocus(Qt::OtherFocusReason);
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), key->count());
    QCoreApplication::sendEvent(field_, &copy);
    return true;
  }
  return false;
}

void StationFinder::place() {
  QWidget* box = c_.stationList->parentWidget();
  const QRect lists = c_.regionList->geometry().united(c_.stationList->geometry());
  QRect area(box->mapTo(form_, lists.topLeft()), lists.size());
  area.setTop(std::max(0, area.top() - kCaptionRow));
  overlay_->setGeometry(area);
}

void StationFinder::placeButton() {
  const QRect add = c_.addButton->geometry();
  button_->setGeometry(add.translated(0, -(add.height() + kButtonGap)));
}

}  // namespace browser

#include "moc_stationfinder.cpp"
