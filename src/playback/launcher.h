#pragma once

#include <QObject>

#include "platform/services.h"

namespace browser { class StationBrowser; }

namespace playback {

// START, WWW and "Ramówka" of both panels, the recent stations, the player windows.
class Launcher final : public QObject {
  Q_OBJECT
 public:
  Launcher(browser::StationBrowser& browser, platform::Services services, QObject* parent);

 private:
  browser::StationBrowser& browser_;
  platform::Services services_;
};

}  // namespace playback
