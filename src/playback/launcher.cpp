#include "launcher.h"

#include <QLabel>
#include <QPushButton>

#include "browser/listbox.h"
#include "browser/panelforms.h"
#include "browser/stationbrowser.h"
#include "catalogue/pageaddress.h"
#include "catalogue/stationnames.h"
#include "platform/messageboxes.h"
#include "platform/shell.h"
#include "playback/playererror.h"
#include "playback/startroute.h"
#include "playback/tform5.h"

namespace playback {

Launcher::Launcher(browser::StationBrowser& browser, platform::Services services, QObject* parent)
    : QObject(parent),
      browser_(browser),
      services_(services),
      collator_(catalogue::stationNameCollator()),
      BitBtn1(browser.tvControls().startButton),
      BitBtn2(browser.fmControls().startButton),
      Label9(browser.tvControls().recentPlaces[0]),
      Label10(browser.tvControls().recentPlaces[1]),
      Label11(browser.tvControls().recentPlaces[2]),
      Label18(browser.fmControls().recentPlaces[0]),
      Label19(browser.fmControls().recentPlaces[1]),
      Label20(browser.fmControls().recentPlaces[2]) {
  const browser::PanelControls& tv = browser.tvControls();
  const browser::PanelControls& fm = browser.fmControls();
  connect(BitBtn1, &QPushButton::clicked, this, &Launcher::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &Launcher::BitBtn2Click);
  connect(tv.wwwButton, &QPushButton::clicked, this, &Launcher::Button4Click);
  connect(tv.scheduleButton, &QPushButton::clicked, this, &Launcher::Button6Click);
  connect(fm.wwwButton, &QPushButton::clicked, this, &Launcher::Button14Click);
  // A double-click anywhere on a station list, on an entry or beside them.
  connect(tv.stationList, &browser::ListBox::DblClick, this, &Launcher::ListBox2DblClick);
  connect(fm.stationList, &browser::ListBox::DblClick, this, &Launcher::ListBox4DblClick);
}

Launcher::~Launcher() {
  for (const QPointer<TForm5>& window : std::as_const(playerWindows_)) delete window.data();
}

// The handlers copy the selected station first: what they start may pump events, and the
// browser's arrays may change meanwhile.
void Launcher::BitBtn1Click() {
  const catalogue::TvStation* selected = browser_.selectedTvStation();
  if (!selected) return;
  const catalogue::TvStation station = *selected;
  PushRecentStation(Label9, Label10, Label11, station.Name);
  start(routeTvStart(station, platform::programInstalled(kExternalPlayer)), browser_.tvForm(), station.Name);
}

void Launcher::BitBtn2Click() {
  const catalogue::RadioStation* selected = browser_.selectedRadioStation();
  if (!selected) return;
  const catalogue::RadioStation station = *selected;
  PushRecentStation(Label18, Label19, Label20, station.Name);
  start(routeRadioStart(station, platform::programInstalled(kExternalPlayer)), browser_.fmForm(), station.Name);
}

void Launcher::Button4Click() {
  if (const catalogue::TvStation* station = browser_.selectedTvStation()) openPage(station->Www);
}

void Launcher::Button6Click() {
  if (const catalogue::TvStation* station = browser_.selectedTvStation()) openPage(station->ScheduleWww);
}

void Launcher::Button14Click() {
  if (const catalogue::RadioStation* station = browser_.selectedRadioStation()) openPage(station->Www);
}

void Launcher::ListBox2DblClick() {
  if (BitBtn1->isEnabled()) BitBtn1Click();
}

void Launcher::ListBox4DblClick() {
  if (BitBtn2->isEnabled()) BitBtn2Click();
}

void Launcher::PushRecentStation(QLabel* first, QLabel* second, QLabel* third, const QString& name) {
  RecentNames names{first->text(), second->text(), third->text()};
  pushRecentName(names, name, collator_);
  first->setText(names[0]);
  second->setText(names[1]);
  third->setText(names[2]);
}

void Launcher::start(const StartRoute& route, QWidget* panel, const QString& stationName) {
  switch (route.kind) {
    case StartRoute::HomePage:
    case StartRoute::ExternalPlayer:
      services_.shell.ShellOpen(route.target, route.parameters, platform::ShowState::Normal);
      return;
    case StartRoute::PlayerWindow:
      try {
        playerWindows_.removeAll(nullptr);
        playerWindows_.append(OpenPlayerWindow(route.target, stationName));
      } catch (const PlayerError& error) {
        services_.boxes.showGeneralError(panel->window(), error.text());
      }
      return;
  }
}

void Launcher::openPage(const QString& field) {
  services_.shell.ShellOpen(catalogue::pageAddress(field), {}, platform::ShowState::Normal);
}

}  // namespace playback

#include "moc_launcher.cpp"
