#include "stationbrowser.h"

#include <QWidget>

#include "browser/panelforms.h"

namespace browser {

StationBrowser::StationBrowser(QWidget* tvHost, QWidget* fmHost, platform::Services services, QWidget* mainWindow,
                               QString catalogueFolder)
    : QObject(mainWindow),
      services_(services),
      mainWindow_(mainWindow),
      catalogueFolder_(std::move(catalogueFolder)),
      tvForm_(new TvPanelForm(tvHost)),
      fmForm_(new FmPanelForm(fmHost)) {}

StationBrowser::~StationBrowser() = default;

void StationBrowser::SetRefreshHooks() {}
void StationBrowser::LoadTvFeed() {}
void StationBrowser::LoadRadioFeed() {}
void StationBrowser::CreateEditors() {}

catalogue::TvStations& StationBrowser::tvStations() { return tvStations_; }
catalogue::RadioStations& StationBrowser::radioStations() { return radioStations_; }
int StationBrowser::SelectedTv() const { return selectedTv_; }
int StationBrowser::SelectedRadio() const { return selectedRadio_; }
int StationBrowser::SelectedTvRegion() const { return selectedTvRegion_; }
int StationBrowser::SelectedRadioRegion() const { return selectedRadioRegion_; }
const catalogue::TvStation* StationBrowser::selectedTvStation() const {
  return selectedTv_ < 0 ? nullptr : &tvStations_[selectedTv_];
}
const catalogue::RadioStation* StationBrowser::selectedRadioStation() const {
  return selectedRadio_ < 0 ? nullptr : &radioStations_[selectedRadio_];
}
QWidget* StationBrowser::tvForm() const { return tvForm_; }
QWidget* StationBrowser::fmForm() const { return fmForm_; }

}  // namespace browser
