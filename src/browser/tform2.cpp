#include "tform2.h"

#include "browser/catalogueedits.h"
#include "catalogue/regions.h"
#include "platform/fonts.h"
#include "ui_tform2.h"

namespace browser {
namespace {

QFont dialogFont() { return platform::describedFont(platform::Face::Tahoma, 11); }

}  // namespace

TForm2::TForm2(QWidget* mainWindow, platform::MessageBoxes& boxes, catalogue::TvStations& stations,
               std::function<int()> selectedRegion)
    : StationEditor(mainWindow, boxes), ui(new Ui::TForm2), stations_(stations), selectedRegion_(std::move(selectedRegion)) {
  ui->setupUi(this);
  finishSetUp({ui->Edit1, ui->ComboBox1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Button1, ui->Button2},
              dialogFont());
}

TForm2::~TForm2() { delete ui; }

void TForm2::EditStation(int index) {
  EditedIndex = index;
  if (index < 0) {
    catalogue::TvStation fresh;
    fresh.PlayerKind = 2;
    fresh.Live = true;
    showStation(fresh);
    ui->ComboBox1->setCurrentIndex(selectedRegion_());
  } else {
    showStation(stations_[index]);
    ui->ComboBox1->setCurrentIndex(catalogue::regionRowById(stations_[index].RegionId));
  }
  if (!showCentred()) return;
  fileStation(stations_, index, storedStation(), names_);
}

void TForm2::showStation(const catalogue::TvStation& station) {
  ui->Edit1->setText(station.Name);
  ui->Edit2->setText(station.Www);
  ui->Edit3->setText(station.ScheduleWww);
  ui->Edit4->setText(station.StreamUrl);
  ui->Edit5->setText(EditedIndex < 0 ? QString() : QString::number(station.QualityBps / 1000));
  switch (station.PlayerKind) {
    case 1: ui->RadioButton2->setChecked(true); break;
    case 2: ui->RadioButton1->setChecked(true); break;
    case 4: ui->RadioButton3->setChecked(true); break;
    default: ui->RadioButton4->setChecked(true); break;
  }
  ui->CheckBox2->setChecked((station.Categories & 0x01) != 0);
  ui->CheckBox1->setChecked((station.Categories & 0x02) != 0);
  ui->CheckBox3->setChecked((station.Categories & 0x04) != 0);
  ui->CheckBox4->setChecked((station.Categories & 0x08) != 0);
  ui->CheckBox6->setChecked((station.Categories & 0x10) != 0);
  ui->CheckBox7->setChecked((station.Categories & 0x20) != 0);
  ui->CheckBox5->setChecked(station.Live);
}

catalogue::TvStation TForm2::storedStation() const {
  catalogue::TvStation station;
  station.Name = ui->Edit1->text();
  station.RegionId = chosenRegionId();
  station.Www = ui->Edit2->text();
  station.ScheduleWww = ui->Edit3->text();
  station.StreamUrl = ui->Edit4->text();
  station.QualityBps = qualityBps(ui->Edit5->text());
  station.PlayerKind = ui->RadioButton2->isChecked()   ? 1
                       : ui->RadioButton1->isChecked() ? 2
                       : ui->RadioButton3->isChecked() ? 4
                                                       : 8;
  station.Categories = (ui->CheckBox2->isChecked() ? 0x01 : 0) | (ui->CheckBox1->isChecked() ? 0x02 : 0) |
                       (ui->CheckBox3->isChecked() ? 0x04 : 0) | (ui->CheckBox4->isChecked() ? 0x08 : 0) |
                       (ui->CheckBox6->isChecked() ? 0x10 : 0) | (ui->CheckBox7->isChecked() ? 0x20 : 0);
  station.Live = ui->CheckBox5->isChecked();
  return station;
}

bool TForm2::nameTaken(const QString& name, qint32 regionId) const {
  return hasEqualName(stations_, EditedIndex, regionId, name, names_);
}

}  // namespace browser
