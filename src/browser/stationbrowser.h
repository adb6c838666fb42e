#pragma once

#include <QObject>
#include <QString>

#include "platform/services.h"

class QWidget;

namespace browser {

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

 private:
  QWidget* tvHost_;
  QWidget* fmHost_;
  platform::Services services_;
  QWidget* mainWindow_;
  QString catalogueFolder_;
};

}  // namespace browser
