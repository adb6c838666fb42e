#pragma once

#include <functional>

#include "browser/stationeditor.h"
#include "catalogue/stationchange.h"
#include "catalogue/stations.h"

namespace Ui { class TForm2; }

namespace browser {

// "Edycja stacji TV": adds a TV station or changes one, filed at its alphabetical place.
class TForm2 final : public StationEditor {
  Q_OBJECT
 public:
  // `selectedRegion` gives the TV panel's selected region row, preselected for a new station.
  TForm2(QWidget* mainWindow, platform::MessageBoxes& boxes, catalogue::TvStations& stations,
         std::function<int()> selectedRegion);
  ~TForm2() override;

  // -1 opens the dialog for a new station, an array index for that station. On OK the change the
  // user made, for the catalogue's save to make; on cancel none.
  catalogue::StationChange<catalogue::TvStation> EditStation(int index);

 protected:
  bool nameTaken(const QString& name, qint32 regionId) const override;

 private:
  Ui::TForm2* ui;
  catalogue::TvStations& stations_;
  std::function<int()> selectedRegion_;
};

}  // namespace browser
