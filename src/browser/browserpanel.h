#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "browser/panelforms.h"
#include "catalogue/feedfile.h"
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
    catalogue::FeedReadThrough readThrough;
  };
  explicit BrowserPanel(Setup setup);

  // The refresh the catalogue runs after loading and before every save.
  void SetRefreshHook(std::function<void()> hook) { refreshHook_ = std::move(hook); }
  // Told after each refresh of the lists, that is after every change of the station array.
  void SetRefreshListener(std::function<void()> listener) { refreshListener_ = std::move(listener); }
  void Load();
  // False when the file was not written; the user has been told why.
  bool Save();
  // A catalogue that did not load in full is never written over: the file still holds the
  // stations that could not be read. Nor is one that cannot be written back: a change would show
  // until the next start and then be gone. Shows why and returns true when a change must not be
  // made.
  bool RefuseChange();
  // Why the catalogue may not be changed; empty when it may.
  QString changeRefusal() const;

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
  catalogue::FeedReadThrough readThrough_;
  enum class ChangesBlocked { No, LoadedInPart, ReadOnly };
  ChangesBlocked changesBlocked_ = ChangesBlocked::No;
  NameClasses& names_;
  ListUpdater& updater_;
  std::function<void()> refreshHook_;
  std::function<void()> refreshListener_;
  int selectedRegion_ = 0;
  int selected_ = -1;
};

}  // namespace browser
