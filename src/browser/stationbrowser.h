#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <future>
#include <memory>
#include <optional>

#include "catalogue/feedfile.h"
#include "catalogue/feedguard.h"
#include "catalogue/stations.h"
#include "platform/services.h"

class QListWidget;
class QWidget;

namespace browser {

template <class Station>
class BrowserPanel;
class NameClasses;
struct PanelControls;
class ListUpdater;
class PanelForm;
class StationFinder;
class TForm2;
class TForm3;

// Both catalogues of a folder as read, one after the other, on a thread of their own: a large
// catalogue takes tens of milliseconds to read, most of it spent by the system handing out fresh
// memory, and read while the rest of the program starts, that time falls on a second core instead
// of before the window's first paint.
struct ReadFeeds {
  catalogue::GuardedRead<catalogue::TvStation> tv;
  catalogue::GuardedRead<catalogue::RadioStation> radio;
};
// Shared, so that what carries it stays copyable; the one browser that takes it gets the reads.
using FeedReads = std::shared_ptr<std::future<ReadFeeds>>;
FeedReads startReadingFeeds(const QString& catalogueFolder);

// The TV and radio panels: their forms, the station arrays and selection state, the handlers.
class StationBrowser final : public QObject {
  Q_OBJECT
 public:
  StationBrowser(QWidget* tvHost, QWidget* fmHost, platform::Services services, QWidget* mainWindow,
                 QString catalogueFolder, const catalogue::FeedReadThrough& readThrough = {});
  ~StationBrowser() override;

  // The reading of this browser's folder that the two loads take.
  void TakeReads(FeedReads reads) { reads_ = std::move(reads); }
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
  // The panel forms inside TVPanel and FMPanel, and their controls.
  QWidget* tvForm() const;
  QWidget* fmForm() const;
  const PanelControls& tvControls() const;
  const PanelControls& fmControls() const;
  // The editor dialogs; nullptr before CreateEditors.
  TForm2* tvEditor() const { return tvEditor_; }
  TForm3* radioEditor() const { return radioEditor_; }
  // The panels' station finders (Ctrl+F).
  StationFinder* tvFinder() const { return tvFinder_; }
  StationFinder* fmFinder() const { return fmFinder_; }

  // The panels' handlers, under the names the controls raise them by.
  void FillRegionList(QListWidget* regionList);
  void ListBox1Click(QListWidget* sender);
  void ListBox2Click();
  void ListBox4Click();
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void Button10Click();
  void Button5Click();
  void Button11Click();
  void Button12Click();
  void Button13Click();
  void SaveTvFeed();
  void SaveRadioFeed();
  // Both panels' lists again from the arrays, in place, for a change whose files are written already.
  void RefreshLists();
  // Both catalogues made anew by `tv` and `radio` from what their files hold (read again where
  // another program changed them) and written by `writeBoth`, holding the folders' locks
  // throughout; the lists show the result. When that fails, the files and the arrays stay as the
  // files were.
  using TvRebuild = std::function<catalogue::TvStations(const catalogue::TvStations&)>;
  using RadioRebuild = std::function<catalogue::RadioStations(const catalogue::RadioStations&)>;
  using WriteBoth =
      std::function<catalogue::SaveResult(const catalogue::TvStations&, const catalogue::RadioStations&)>;
  catalogue::SaveResult ReplaceCatalogues(const TvRebuild& tv, const RadioRebuild& radio, const WriteBoth& writeBoth);
  // Why the catalogues may not be replaced (one of them did not load in full); empty when they may.
  QString changeRefusal() const;

 private:
  platform::Services services_;
  QWidget* mainWindow_;
  QString catalogueFolder_;
  std::unique_ptr<NameClasses> names_;
  std::unique_ptr<ListUpdater> updater_;
  PanelForm* tvForm_;
  PanelForm* fmForm_;
  catalogue::TvStations tvStations_;
  catalogue::RadioStations radioStations_;
  std::unique_ptr<BrowserPanel<catalogue::TvStation>> tv_;
  std::unique_ptr<BrowserPanel<catalogue::RadioStation>> radio_;
  FeedReads reads_;
  std::optional<catalogue::GuardedRead<catalogue::RadioStation>> radioRead_;
  StationFinder* tvFinder_ = nullptr;
  StationFinder* fmFinder_ = nullptr;
  TForm2* tvEditor_ = nullptr;
  TForm3* radioEditor_ = nullptr;
};

}  // namespace browser
