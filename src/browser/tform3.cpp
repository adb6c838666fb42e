#include "tform3.h"

#include "browser/catalogueedits.h"
#include "catalogue/flags.h"
#include "platform/fonts.h"
#include "ui_tform3.h"

namespace browser {

TForm3::TForm3(QWidget* mainWindow, platform::MessageBoxes& boxes, catalogue::RadioStations& stations,
               std::function<int()> selectedRegion)
    : StationEditor(mainWindow, boxes), ui(new Ui::TForm3), stations_(stations), selectedRegion_(std::move(selectedRegion)) {
  ui->setupUi(this);
  using namespace catalogue;
  finishSetUp({ui->Edit1, ui->ComboBox1, ui->Edit2, nullptr, ui->Edit4, ui->Edit5, ui->Button1, ui->Button2,
               {{ui->RadioButton1, radioplayer::kShoutcast},
                {ui->RadioButton2, radioplayer::kRealPlayer},
                {ui->RadioButton3, radioplayer::kWindowsMedia},
                {ui->RadioButton4, radioplayer::kOggVorbis},
                {ui->RadioButton5, radioplayer::kQuickTime}},
               {{ui->CheckBox2, category::kEntertainment},
                {ui->CheckBox1, category::kNews},
                {ui->CheckBox3, category::kDiaspora},
                {ui->CheckBox4, category::kReligious},
                {ui->CheckBox6, category::kMusic}},
               nullptr},
              platform::describedFont(platform::Face::MsSansSerif, 11));
}

TForm3::~TForm3() { delete ui; }

catalogue::StationChange<catalogue::RadioStation> TForm3::EditStation(int index) {
  catalogue::RadioStation fresh;
  fresh.PlayerKind = catalogue::radioplayer::kShoutcast;
  return editStation(stations_, index, fresh, selectedRegion_());
}

bool TForm3::nameTaken(const QString& name, qint32 regionId) const {
  return !isOpenedStation(name, regionId) && hasEqualName(stations_, -1, regionId, name, names_);
}

}  // namespace browser

#include "moc_tform3.cpp"
