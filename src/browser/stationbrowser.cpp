#include "stationbrowser.h"

#include <QWidget>

namespace browser {

StationBrowser::StationBrowser(QWidget* tvHost, QWidget* fmHost, platform::Services services, QWidget* mainWindow,
                               QString catalogueFolder)
    : QObject(mainWindow),
      tvHost_(tvHost),
      fmHost_(fmHost),
      services_(services),
      mainWindow_(mainWindow),
      catalogueFolder_(std::move(catalogueFolder)) {}

StationBrowser::~StationBrowser() = default;

void StationBrowser::SetRefreshHooks() {}
void StationBrowser::LoadTvFeed() {}
void StationBrowser::LoadRadioFeed() {}
void StationBrowser::CreateEditors() {}

}  // namespace browser
