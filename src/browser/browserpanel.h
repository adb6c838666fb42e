#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <memory>
#include <vector>

#include "browser/panelforms.h"
#include "catalogue/feedfile.h"
#include "catalogue/feedguard.h"
#include "catalogue/stationchange.h"
#include "platform/services.h"

namespace catalogue { class FeedWatch; }

namespace browser {

class ListUpdater;
class NameClasses;

// The lists, details, selection, delete and copy of one browser panel (TV or radio), and the
// load and save of its catalogue file, which another program may change while the panel shows it.
template <class Station>
class BrowserPanel {
 public:
  using Change = catalogue::StationChange<Station>;
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
  ~BrowserPanel();

  // The refresh the catalogue runs after loading and before every save.
  void SetRefreshHook(std::function<void()> hook) { refreshHook_ = std::move(hook); }
  // Told after each refresh of the lists, that is after every change of the station array.
  void SetRefreshListener(std::function<void()> listener) { refreshListener_ = std::move(listener); }
  // Reads the file, or takes a reading of it made beforehand, and from then on watches it: a
  // change on disk shows in the lists.
  void Load(std::optional<catalogue::GuardedRead<Station>> read = std::nullopt);
  // Makes `change` and writes the file; when another program changed the file meanwhile, makes the
  // change on what it wrote. False when the change was not written; the user has been told why.
  bool Save(const Change& change = Change::nothing());
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
  catalogue::FeedGuard<Station>& feed() { return feed_; }
  // After the stations were read anew from the file: its rules for changes, and the lists.
  void adoptLoad(const catalogue::LoadResult& result);

 private:
  void showDetails(const Station* station);
  // The file may have changed on disk: when it has, the lists show it.
  void CheckFile();
  void watchAgainWhenDue();

  PanelControls c_;
  std::vector<Station>& stations_;
  platform::Services services_;
  QWidget* mainWindow_;
  catalogue::FeedGuard<Station> feed_;
  std::unique_ptr<catalogue::FeedWatch> watch_;
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
