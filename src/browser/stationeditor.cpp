#include "stationeditor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "browser/nameorder.h"
#include "catalogue/regions.h"
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
