#pragma once

#include <functional>

#include "browser/stationeditor.h"
#include "catalogue/stationchange.h"
#include "catalogue/stations.h"

namespace Ui { class TForm3; }

namespace browser {

// "Edycja stacji radiowej": adds a radio station or changes one, filed at its alphabetical place.
class TForm3 final : public StationEditor {
  Q_OBJECT
 public:
  // `selectedRegion` gives the radio panel's selected region row, preselected for a new station.
  TForm3(QWidget* mainWindow, platform::MessageBoxes& boxes, catalogue::RadioStations& stations,
         std::function<int()> selectedRegion);
  ~TForm3() override;

  // -1 opens the dialog for a new station, an array index for that station. On OK the change the
  // user made, for the catalogue's save to make; on cancel none.
  catalogue::StationChange<catalogue::RadioStation> EditStation(int index);

 protected:
  bool nameTaken(const QString& name, qint32 regionId) const override;

 private:
  Ui::TForm3* ui;
  catalogue::RadioStations& stations_;
  std::function<int()> selectedRegion_;
};

}  // namespace browser
