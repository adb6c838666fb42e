#pragma once

#include <QObject>
#include <QString>

#include "catalogue/stations.h"
#include "platform/services.h"

class QWidget;

namespace browser {

class PanelForm;

// The TV and radio panels: their forms, the station arrays and selection state, the handlers.
class StationBrowser final : public QObject {
  Q_OBJECT
 public:
  StationBrowser(QWidget* tvHost, QWidget* fmHost, platform::Services services, QWidget* mainWindow,
                 QString catalogueFolder);
  ~StationBrowser() override;

  // Main window creation: the refresh hooks, then the two loads.
  void SetRefreshHooks();
  void LoadTvFeed();
  void LoadRadioFeed();
  // Start-up, after the busy note: the editor dialogs TForm2 and TForm3.
  void CreateEditors();

  catalogue::TvStations& tvStations();
  catalogue::RadioStations& radioStations();
  // Array index of the station whose details a panel shows; -1 for none.
  int SelectedTv() const;
  int SelectedRadio() const;
  // Row of Regions whose stations a panel lists; 0 for none.
  int SelectedTvRegion() const;
  int SelectedRadioRegion() const;
  // The selected station, or nullptr while none is (also while the panel has lost its region).
  const catalogue::TvStation* selectedTvStation() const;
  const catalogue::RadioStation* selectedRadioStation() const;
  // The panel forms inside TVPanel and FMPanel.
  QWidget* tvForm() const;
  QWidget* fmForm() const;

 private:
  platform::Services services_;
  QWidget* mainWindow_;
  QString catalogueFolder_;
  PanelForm* tvForm_;
  PanelForm* fmForm_;
  catalogue::TvStations tvStations_;
  catalogue::RadioStations radioStations_;
  int selectedTv_ = -1;
  int selectedRadio_ = -1;
  int selectedTvRegion_ = 0;
  int selectedRadioRegion_ = 0;
};

}  // namespace browser
