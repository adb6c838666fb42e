#include "tform2.h"

#include "browser/catalogueedits.h"
#include "catalogue/flags.h"
#include "platform/fonts.h"
#include "ui_tform2.h"

namespace browser {

TForm2::TForm2(QWidget* mainWindow, platform::MessageBoxes& boxes, catalogue::TvStations& stations,
               std::function<int()> selectedRegion)
    : StationEditor(mainWindow, boxes), ui(new Ui::TForm2), stations_(stations), selectedRegion_(std::move(selectedRegion)) {
  ui->setupUi(this);
  using namespace catalogue;
  finishSetUp({ui->Edit1, ui->ComboBox1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Button1, ui->Button2,
               {{ui->RadioButton1, tvplayer::kWindowsMedia},
                {ui->RadioButton2, tvplayer::kRealPlayer},
                {ui->RadioButton3, tvplayer::kNullsoft},
                {ui->RadioButton4, tvplayer::kOther}},
               {{ui->CheckBox2, category::kEntertainment},
                {ui->CheckBox1, category::kNews},
                {ui->CheckBox3, category::kDiaspora},
                {ui->CheckBox4, category::kReligious},
                {ui->CheckBox6, category::kMusic},
                {ui->CheckBox7, category::kAdult}},
               ui->CheckBox5},
              platform::describedFont(platform::Face::Tahoma, 11));
}

TForm2::~TForm2() { delete ui; }

catalogue::StationChange<catalogue::TvStation> TForm2::EditStation(int index) {
  catalogue::TvStation fresh;
  fresh.PlayerKind = catalogue::tvplayer::kWindowsMedia;
  fresh.Live = true;
  return editStation(stations_, index, fresh, selectedRegion_());
}

bool TForm2::nameTaken(const QString& name, qint32 regionId) const {
  return !isOpenedStation(name, regionId) && hasEqualName(stations_, -1, regionId, name, names_);
}

}  // namespace browser

#include "moc_tform2.cpp"
