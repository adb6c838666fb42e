#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "browser/panelforms.h"
#include "platform/services.h"

namespace browser {

class ListUpdater;
class NameClasses;

// The lists, details, selection, delete and copy of one browser panel (TV or radio), and the
// load and save of its catalogue file.
template <class Station>
class BrowserPanel {
 public:
  struct Setup {
    PanelControls controls;
    std::vector<Station>& stations;
    platform::Services services;
    QWidget* mainWindow;
    QString feedPath;
    NameClasses& names;
    ListUpdater& updater;
  };
  explicit BrowserPanel(Setup setup);

  // The refresh the catalogue runs after loading and before every save.
  void SetRefreshHook();
  void Load();
  void Save();

  void FillRegionList();
  void RegionClick();
  void StationClick();
  void DeleteClick();
  void CopyClick();

  int selected() const { return selected_; }
  int selectedRegion() const { return selectedRegion_; }
  const Station* selectedStation() const;
  const PanelControls& controls() const { return c_; }

 private:
  void showDetails(const Station* station);

  PanelControls c_;
  std::vector<Station>& stations_;
  platform::Services services_;
  QWidget* mainWindow_;
  QString feedPath_;
  NameClasses& names_;
  ListUpdater& updater_;
  std::function<void()> refreshHook_;
  int selectedRegion_ = 0;
  int selected_ = -1;
};

}  // namespace browser
