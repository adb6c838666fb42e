#pragma once

#include <QWidget>

#include "platform/services.h"

namespace privacy {

// The content of the "Prywatność" category: the cleaning actions and the options.
class PrivacyPanelForm final : public QWidget {
  Q_OBJECT
 public:
  PrivacyPanelForm(QWidget* host, platform::Services services, QWidget* mainWindow);

  // Main window creation: read the seven options, then attach their handlers.
  void ReadOptions();
  // Start-up: the busy note TForm1, created right after the main window.
  void CreateBusyNote();

 private:
  platform::Services services_;
  QWidget* mainWindow_;
};

}  // namespace privacy
