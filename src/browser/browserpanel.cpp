#include "browserpanel.h"

#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>

#include "browser/catalogueedits.h"
#include "browser/listupdater.h"
#include "browser/nameorder.h"
#include "browser/stationviews.h"
#include "catalogue/feedfile.h"
#include "catalogue/feedwatch.h"
#include "catalogue/regions.h"
#include "platform/messageboxes.h"

namespace browser {

template <class Station>
BrowserPanel<Station>::BrowserPanel(Setup setup)
    : c_(setup.controls),
      stations_(setup.stations),
      services_(setup.services),
      mainWindow_(setup.mainWindow),
      feed_(std::move(setup.feedPath), std::move(setup.readThrough)),
      names_(setup.names),
      updater_(setup.updater) {}

template <class Station>
BrowserPanel<Station>::~BrowserPanel() = default;

// The stations read before a read error are listed, so they can be played; none can be changed.
// Nor can those of a file that could not be written back, though it was read in full.
template <class Station>
void BrowserPanel<Station>::Load(std::optional<catalogue::GuardedRead<Station>> read) {
  catalogue::LoadResult result;
  if (read) {
    Q_ASSERT(read->guard.path() == feed_.path() && stations_.empty());
    feed_ = std::move(read->guard);
    stations_ = std::move(read->stations);
    result = std::move(read->result);
  } else {
    result = feed_.load(stations_);
  }
  if (!watch_) watch_ = std::make_unique<catalogue::FeedWatch>(feed_.path(), [this] { CheckFile(); });
  watchAgainWhenDue();
  if (result.status == catalogue::LoadResult::NotOpened) return;
  adoptLoad(result);
  if (refreshHook_) refreshHook_();
  if (result.status == catalogue::LoadResult::ReadError) services_.boxes.showGeneralError(mainWindow_, result.error);
}

template <class Station>
void BrowserPanel<Station>::adoptLoad(const catalogue::LoadResult& result) {
  changesBlocked_ = ChangesBlocked::No;
  if (result.status == catalogue::LoadResult::ReadError) changesBlocked_ = ChangesBlocked::LoadedInPart;
  else if (result.status == catalogue::LoadResult::Loaded && !result.writable)
    changesBlocked_ = ChangesBlocked::ReadOnly;
}

// The in-place refresh keeps the selected station selected when it is still there; an open editor
// keeps what the user typed, and its change is made on the new stations when it is confirmed.
template <class Station>
void BrowserPanel<Station>::CheckFile() {
  if (const std::optional<catalogue::LoadResult> result = feed_.refresh(stations_)) {
    adoptLoad(*result);
    if (refreshHook_) refreshHook_();
    if (result->status == catalogue::LoadResult::ReadError)
      services_.boxes.showGeneralError(mainWindow_, result->error);
  }
  watchAgainWhenDue();
}

// Until the file's stamp alone can tell a change, a look at its content is due once more.
template <class Station>
void BrowserPanel<Station>::watchAgainWhenDue() {
  const int ms = feed_.msUntilStampTells();
  if (watch_ && ms >= 0) watch_->reportAgainIn(ms);
}

template <class Station>
QString BrowserPanel<Station>::changeRefusal() const {
  const QString file = QDir::toNativeSeparators(feed_.path());
  switch (changesBlocked_) {
    case ChangesBlocked::No:
      return {};
    case ChangesBlocked::LoadedInPart:
      return QStringLiteral("Plik „%1” nie został wczytany w całości, dlatego nie można zmienić jego listy stacji: "
                            "zapis usunąłby z pliku stacje, których nie udało się odczytać.\n"
                            "Sprawdź plik i uruchom program ponownie.")
          .arg(file);
    case ChangesBlocked::ReadOnly:
      return QStringLiteral("Plik „%1” jest tylko do odczytu (lub leży na nośniku tylko do odczytu), dlatego nie "
                            "można zmienić jego listy stacji.\n"
                            "Zezwól na zapis pliku i uruchom program ponownie.")
          .arg(file);
  }
  return {};
}

template <class Station>
bool BrowserPanel<Station>::RefuseChange() {
  const QString refusal = changeRefusal();
  if (refusal.isEmpty()) return false;
  services_.boxes.showError(mainWindow_, refusal);
  return true;
}

template <class Station>
bool BrowserPanel<Station>::Save(const Change& change) {
  if (RefuseChange()) return false;
  using Commit = typename catalogue::FeedGuard<Station>::Commit;
  Commit result;
  {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto restoreCursor = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    result = feed_.commit(stations_, change, names_.collator());
    if (result.reread) adoptLoad(result.load);
    if (refreshHook_) refreshHook_();
  }
  watchAgainWhenDue();
  if (result.status != Commit::Saved) services_.boxes.showError(mainWindow_, result.message);
  return result.status == Commit::Saved;
}

template <class Station>
void BrowserPanel<Station>::FillRegionList() {
  QListWidget* list = c_.regionList;
  {
    updater_.BeginListUpdate(list, false);
    const auto end = qScopeGuard([&] { updater_.EndListUpdate(list); });
    updater_.AddListEntry(list, catalogue::regionName(catalogue::kFavouritesRow), catalogue::kFavouritesRow);
    const auto present = regionsWithStations(stations_);
    for (int row = 1; row < catalogue::kRegionCount; ++row)
      if (present[row]) updater_.AddListEntry(list, catalogue::regionName(row), row);
  }
  RegionClick();
  if (refreshListener_) refreshListener_();
}

template <class Station>
void BrowserPanel<Station>::RegionClick() {
  const int row = selectedRow(c_.regionList);
  if (row < 0) {
    selectedRegion_ = 0;
  } else {
    const int region = catalogue::regionRowByName(c_.regionList->item(row)->text());
    const bool reset = region != selectedRegion_;
    selectedRegion_ = region < 0 ? 0 : region;
    QListWidget* list = c_.stationList;
    updater_.BeginListUpdate(list, reset);
    const auto end = qScopeGuard([&] { updater_.EndListUpdate(list); });
    if (region >= 0)
      for (int index : stationsOfRegion(stations_, catalogue::Regions[region].Id))
        updater_.AddListEntry(list, displayText(stations_[index]), index);
  }
  StationClick();
}

template <class Station>
void BrowserPanel<Station>::StationClick() {
  selected_ = -1;
  const int row = selectedRow(c_.stationList);
  if (row < 0) {
    showDetails(nullptr);
    return;
  }
  if (selectedRow(c_.regionList) < 0) return;
  // The entry carries its station's index: equal names and out-of-order regions map right.
  const int index = entryIndex(c_.stationList, row);
  if (index < 0 || index >= static_cast<int>(stations_.size())) return;
  if (stations_[index].RegionId != catalogue::Regions[selectedRegion_].Id) return;
  selected_ = index;
  showDetails(&stations_[index]);
}

template <class Station>
void BrowserPanel<Station>::showDetails(const Station* station) {
  const StationDetails details = station != nullptr ? describeStation(*station) : StationDetails{};
  c_.nameLine->setText(details.name);
  c_.classificationLine->setText(details.classification);
  c_.encodingLine->setText(details.encoding);
  for (QLineEdit* line : {c_.nameLine, c_.classificationLine, c_.encodingLine}) line->setCursorPosition(0);
  const StationButtons buttons = station != nullptr ? stationButtons(*station, selectedRegion_) : StationButtons{};
  c_.editButton->setEnabled(buttons.edit);
  c_.deleteButton->setEnabled(buttons.remove);
  c_.copyButton->setEnabled(buttons.copy);
  c_.wwwButton->setEnabled(buttons.www);
  if (c_.scheduleButton != nullptr) c_.scheduleButton->setEnabled(buttons.schedule);
  c_.startButton->setEnabled(buttons.start);
}

template <class Station>
void BrowserPanel<Station>::DeleteClick() {
  if (selected_ < 0 || RefuseChange()) return;
  // A copy: the file may be read anew while the question is open.
  const Station station = stations_[selected_];
  if (!services_.boxes.askQuestion(mainWindow_, deleteQuestion(station.Name, station.RegionId))) return;
  Save(Change::removed(station));
}

template <class Station>
void BrowserPanel<Station>::CopyClick() {
  if (selected_ < 0) return;
  if (RefuseChange()) return;
  const Station& station = stations_[selected_];
  if (station.RegionId == 0) return;
  if (hasEqualName(stations_, -1, 0, station.Name, names_.collator())) {
    services_.boxes.showError(mainWindow_, QStringLiteral("Strumień o tej nazwie jest już w Ulubionych"));
    return;
  }
  // A failed save has said why; the copy is then not in the file.
  if (Save(Change::copied(station)))
    services_.boxes.showInformation(mainWindow_, QStringLiteral("Strumień został dodany do Ulubionych"));
}

template <class Station>
const Station* BrowserPanel<Station>::selectedStation() const {
  return selected_ < 0 || selected_ >= static_cast<int>(stations_.size()) ? nullptr : &stations_[selected_];
}

template class BrowserPanel<catalogue::TvStation>;
template class BrowserPanel<catalogue::RadioStation>;

}  // namespace browser
