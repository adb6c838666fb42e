#include "stationeditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "browser/nameorder.h"
#include "catalogue/regions.h"
#include "catalogue/stations.h"
#include "platform/fitcaptions.h"
#include "platform/messageboxes.h"

namespace browser {

StationEditor::StationEditor(QWidget* mainWindow, platform::MessageBoxes& boxes)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                              Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      names_(stationNameCollator()),
      mainWindow_(mainWindow),
      boxes_(boxes) {}

void StationEditor::finishSetUp(const Fields& fields, const QFont& font) {
  f_ = fields;
  setFont(font);
  platform::growCaptionsIntoFreeSpace(this);
  setFixedSize(size());
  setModal(true);
  // A focused button takes Enter ("Anuluj" cancels); elsewhere Enter is OK's, the default button.
  f_.cancel->setAutoDefault(true);
  connect(f_.ok, &QPushButton::clicked, this, &StationEditor::Button1Click);
  connect(f_.cancel, &QPushButton::clicked, this, &QDialog::reject);
  FormCreate();
}

void StationEditor::FormCreate() {
  QComboBox* box = f_.region;
  box->setUpdatesEnabled(false);
  QStringList names;
  names.reserve(catalogue::kRegionCount);
  for (int row = 0; row < catalogue::kRegionCount; ++row) names << catalogue::regionName(row);
  box->addItems(names);
  box->setMaxVisibleItems(16);
  box->setUpdatesEnabled(true);
}

qint32 StationEditor::chosenRegionId() const {
  const int row = f_.region->currentIndex();
  return row >= 0 && row < catalogue::kRegionCount ? catalogue::Regions[row].Id : 0;
}

template <class Station>
void StationEditor::showStation(const Station& station) {
  f_.name->setText(station.Name);
  f_.www->setText(station.Www);
  f_.streamUrl->setText(station.StreamUrl);
  f_.quality->setText(EditedIndex < 0 ? QString() : QString::number(station.QualityBps / 1000));
  // The button of the station's kind, or the last one for a kind no button has.
  QAbstractButton* kindButton = f_.playerKinds.back().button;
  for (const FlagControl& kind : f_.playerKinds)
    if (kind.mask == station.PlayerKind) {
      kindButton = kind.button;
      break;
    }
  kindButton->setChecked(true);
  for (const FlagControl& category : f_.categories) category.button->setChecked((station.Categories & category.mask) != 0);
  if constexpr (requires { station.ScheduleWww; }) {
    f_.scheduleWww->setText(station.ScheduleWww);
    f_.live->setChecked(station.Live);
  }
}

template <class Station>
Station StationEditor::storedStation() const {
  Station station;
  station.Name = f_.name->text();
  station.RegionId = chosenRegionId();
  station.Www = f_.www->text();
  station.StreamUrl = f_.streamUrl->text();
  station.QualityBps = qualityBps(f_.quality->text());
  station.PlayerKind = f_.playerKinds.back().mask;
  for (const FlagControl& kind : f_.playerKinds)
    if (kind.button->isChecked()) {
      station.PlayerKind = kind.mask;
      break;
    }
  station.Categories = 0;
  for (const FlagControl& category : f_.categories)
    if (category.button->isChecked()) station.Categories |= category.mask;
  if constexpr (requires { station.ScheduleWww; }) {
    station.ScheduleWww = f_.scheduleWww->text();
    station.Live = f_.live->isChecked();
  }
  return station;
}

template <class Station>
catalogue::StationChange<Station> StationEditor::editStation(const std::vector<Station>& stations, int index,
                                                             const Station& fresh, int freshRegionRow) {
  using Change = catalogue::StationChange<Station>;
  EditedIndex = index;
  const Station opened = index < 0 ? fresh : stations[index];
  openedName_ = opened.Name;
  openedRegionId_ = opened.RegionId;
  showStation(opened);
  f_.region->setCurrentIndex(index < 0 ? freshRegionRow : catalogue::regionRowById(opened.RegionId));
  if (!showCentred()) return Change::nothing();
  Station stored = storedStation<Station>();
  return index < 0 ? Change::added(std::move(stored)) : Change::edited(opened, std::move(stored));
}

template catalogue::StationChange<catalogue::TvStation> StationEditor::editStation(const catalogue::TvStations&, int,
                                                                                   const catalogue::TvStation&, int);
template catalogue::StationChange<catalogue::RadioStation> StationEditor::editStation(const catalogue::RadioStations&,
                                                                                      int,
                                                                                      const catalogue::RadioStation&,
                                                                                      int);

bool StationEditor::isOpenedStation(const QString& name, qint32 regionId) const {
  return EditedIndex >= 0 && regionId == openedRegionId_ && names_.compare(name, openedName_) == 0;
}

bool StationEditor::showCentred() {
  f_.name->setFocus();
  const QRect main = mainWindow_ != nullptr ? mainWindow_->frameGeometry() : QRect();
  if (main.isValid()) move(main.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
  return exec() == QDialog::Accepted;
}

void StationEditor::Button1Click() {
  StationFields fields{f_.name->text(),
                       f_.region->currentIndex(),
                       f_.www->text(),
                       f_.scheduleWww != nullptr ? std::optional<QString>(f_.scheduleWww->text()) : std::nullopt,
                       f_.streamUrl->text(),
                       f_.quality->text()};
  const std::optional<FieldProblem> problem =
      checkStationFields(fields, [this](const QString& name, qint32 regionId) { return nameTaken(name, regionId); });
  // Put the normalised texts back, as far as the checks got.
  const auto putBack = [](QLineEdit* edit, const QString& text) {
    if (edit->text() != text) edit->setText(text);
  };
  putBack(f_.name, fields.name);
  putBack(f_.www, fields.www);
  if (f_.scheduleWww != nullptr) putBack(f_.scheduleWww, *fields.scheduleWww);
  putBack(f_.streamUrl, fields.streamUrl);
  putBack(f_.quality, fields.quality);
  if (!problem) {
    accept();
    return;
  }
  boxes_.showError(this, problem->message);
  QWidget* focus = nullptr;
  switch (problem->focus) {
    case EditorField::Name: focus = f_.name; break;
    case EditorField::Region: focus = f_.region; break;
    case EditorField::Www: focus = f_.www; break;
    case EditorField::ScheduleWww: focus = f_.scheduleWww; break;
    case EditorField::StreamUrl: focus = f_.streamUrl; break;
    case EditorField::Quality: focus = f_.quality; break;
  }
  focus->setFocus();
}

}  // namespace browser

#include "moc_stationeditor.cpp"
