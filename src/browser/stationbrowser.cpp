#include "stationbrowser.h"

#include <QPushButton>
#include <map>
#include <QWidget>

#include "browser/browserpanel.h"
#include "browser/finder/stationfinder.h"
#include "browser/finder/stationindex.h"
#include "browser/listbox.h"
#include "browser/listupdater.h"
#include "browser/nameorder.h"
#include "browser/panelforms.h"
#include "browser/tform2.h"
#include "browser/tform3.h"
#include "catalogue/feedfile.h"
#include "catalogue/feedlock.h"

namespace browser {
namespace {

using TvChange = catalogue::StationChange<catalogue::TvStation>;
using RadioChange = catalogue::StationChange<catalogue::RadioStation>;

// The folder with a separator at its end, so that a file name can be put after it.
QString folderPrefix(QString folder) {
  if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

}  // namespace

FeedReads startReadingFeeds(const QString& catalogueFolder) {
  return std::make_shared<std::future<ReadFeeds>>(std::async(std::launch::async, [folder = folderPrefix(catalogueFolder)] {
    return ReadFeeds{catalogue::readGuarded<catalogue::TvStation>(folder + catalogue::kTvFeedName),
                     catalogue::readGuarded<catalogue::RadioStation>(folder + catalogue::kRadioFeedName)};
  }));
}

StationBrowser::StationBrowser(QWidget* tvHost, QWidget* fmHost, platform::Services services, QWidget* mainWindow,
                               QString catalogueFolder, const catalogue::FeedReadThrough& readThrough)
    : QObject(mainWindow),
      services_(services),
      mainWindow_(mainWindow),
      catalogueFolder_(folderPrefix(std::move(catalogueFolder))),
      names_(std::make_unique<NameClasses>()),
      updater_(std::make_unique<ListUpdater>(*names_)),
      tvForm_(new TvPanelForm(tvHost)),
      fmForm_(new FmPanelForm(fmHost)) {
  tv_ = std::make_unique<BrowserPanel<catalogue::TvStation>>(BrowserPanel<catalogue::TvStation>::Setup{
      tvForm_->controls(), tvStations_, services_, mainWindow_, catalogueFolder_ + catalogue::kTvFeedName, *names_,
      *updater_, readThrough});
  radio_ = std::make_unique<BrowserPanel<catalogue::RadioStation>>(BrowserPanel<catalogue::RadioStation>::Setup{
      fmForm_->controls(), radioStations_, services_, mainWindow_, catalogueFolder_ + catalogue::kRadioFeedName,
      *names_, *updater_, readThrough});
  tvFinder_ = new StationFinder(tvForm_, tvForm_->controls(), [this] { return StationIndex::stationsOf(tvStations_); });
  fmFinder_ = new StationFinder(fmForm_, fmForm_->controls(), [this] { return StationIndex::stationsOf(radioStations_); });
  tv_->SetRefreshListener([this] { tvFinder_->catalogueChanged(); });
  radio_->SetRefreshListener([this] { fmFinder_->catalogueChanged(); });
  // Each control raises the handler of its own name; both region lists share ListBox1Click.
  const PanelControls& tv = tvForm_->controls();
  connect(tv.regionList, &QListWidget::itemSelectionChanged, this, [this, list = tv.regionList] { ListBox1Click(list); });
  connect(tv.stationList, &QListWidget::itemSelectionChanged, this, &StationBrowser::ListBox2Click);
  connect(tv.addButton, &QPushButton::clicked, this, &StationBrowser::Button7Click);
  connect(tv.editButton, &QPushButton::clicked, this, &StationBrowser::Button8Click);
  connect(tv.deleteButton, &QPushButton::clicked, this, &StationBrowser::Button9Click);
  connect(tv.copyButton, &QPushButton::clicked, this, &StationBrowser::Button10Click);
  const PanelControls& fm = fmForm_->controls();
  connect(fm.regionList, &QListWidget::itemSelectionChanged, this, [this, list = fm.regionList] { ListBox1Click(list); });
  connect(fm.stationList, &QListWidget::itemSelectionChanged, this, &StationBrowser::ListBox4Click);
  connect(fm.addButton, &QPushButton::clicked, this, &StationBrowser::Button5Click);
  connect(fm.editButton, &QPushButton::clicked, this, &StationBrowser::Button11Click);
  connect(fm.deleteButton, &QPushButton::clicked, this, &StationBrowser::Button12Click);
  connect(fm.copyButton, &QPushButton::clicked, this, &StationBrowser::Button13Click);
}

StationBrowser::~StationBrowser() = default;

void StationBrowser::SetRefreshHooks() {
  tv_->SetRefreshHook([this, list = tvForm_->controls().regionList] { FillRegionList(list); });
  radio_->SetRefreshHook([this, list = fmForm_->controls().regionList] { FillRegionList(list); });
}

void StationBrowser::LoadTvFeed() {
  if (!reads_ || !reads_->valid()) return tv_->Load();
  ReadFeeds read = reads_->get();
  radioRead_ = std::move(read.radio);
  tv_->Load(std::move(read.tv));
}

void StationBrowser::LoadRadioFeed() { radio_->Load(std::exchange(radioRead_, std::nullopt)); }

void StationBrowser::CreateEditors() {
  tvEditor_ = new TForm2(mainWindow_, services_.boxes, tvStations_, [this] { return tv_->selectedRegion(); });
  radioEditor_ = new TForm3(mainWindow_, services_.boxes, radioStations_, [this] { return radio_->selectedRegion(); });
}

catalogue::TvStations& StationBrowser::tvStations() { return tvStations_; }
catalogue::RadioStations& StationBrowser::radioStations() { return radioStations_; }
int StationBrowser::SelectedTv() const { return tv_->selected(); }
int StationBrowser::SelectedRadio() const { return radio_->selected(); }
int StationBrowser::SelectedTvRegion() const { return tv_->selectedRegion(); }
int StationBrowser::SelectedRadioRegion() const { return radio_->selectedRegion(); }
const catalogue::TvStation* StationBrowser::selectedTvStation() const { return tv_->selectedStation(); }
const catalogue::RadioStation* StationBrowser::selectedRadioStation() const { return radio_->selectedStation(); }
QWidget* StationBrowser::tvForm() const { return tvForm_; }
QWidget* StationBrowser::fmForm() const { return fmForm_; }
const PanelControls& StationBrowser::tvControls() const { return tvForm_->controls(); }
const PanelControls& StationBrowser::fmControls() const { return fmForm_->controls(); }

void StationBrowser::FillRegionList(QListWidget* regionList) {
  if (regionList == tvForm_->controls().regionList) tv_->FillRegionList();
  else radio_->FillRegionList();
}

void StationBrowser::ListBox1Click(QListWidget* sender) {
  if (sender == tvForm_->controls().regionList) tv_->RegionClick();
  else radio_->RegionClick();
}

void StationBrowser::ListBox2Click() { tv_->StationClick(); }
void StationBrowser::ListBox4Click() { radio_->StationClick(); }

void StationBrowser::Button7Click() {
  if (tv_->RefuseChange()) return;
  tv_->Save(tvEditor_ != nullptr ? tvEditor_->EditStation(-1) : TvChange());
}

void StationBrowser::Button8Click() {
  if (tv_->RefuseChange()) return;
  tv_->Save(tvEditor_ != nullptr && tv_->selected() != -1 ? tvEditor_->EditStation(tv_->selected()) : TvChange());
}

void StationBrowser::Button9Click() { tv_->DeleteClick(); }
void StationBrowser::Button10Click() { tv_->CopyClick(); }

void StationBrowser::Button5Click() {
  if (radio_->RefuseChange()) return;
  radio_->Save(radioEditor_ != nullptr ? radioEditor_->EditStation(-1) : RadioChange());
}

void StationBrowser::Button11Click() {
  if (radio_->RefuseChange()) return;
  radio_->Save(radioEditor_ != nullptr && radio_->selected() != -1 ? radioEditor_->EditStation(radio_->selected())
                                                                     : RadioChange());
}

void StationBrowser::Button12Click() { radio_->DeleteClick(); }
void StationBrowser::Button13Click() { radio_->CopyClick(); }
void StationBrowser::SaveTvFeed() { tv_->Save(); }
void StationBrowser::SaveRadioFeed() { radio_->Save(); }

void StationBrowser::RefreshLists() {
  tv_->FillRegionList();
  radio_->FillRegionList();
}

catalogue::SaveResult StationBrowser::ReplaceCatalogues(const TvRebuild& tv, const RadioRebuild& radio,
                                                        const WriteBoth& writeBoth) {
  catalogue::SaveResult result;
  {
    // The lock of each folder that holds one of them, in one order for every program.
    std::map<QString, QString> catalogueInFolder;
    for (const QString& path : {tv_->feed().path(), radio_->feed().path()})
      catalogueInFolder.emplace(catalogue::lockedFolderOf(path), path);
    std::vector<std::unique_ptr<catalogue::FeedLock>> locks;
    for (const auto& [folder, path] : catalogueInFolder) {
      locks.push_back(std::make_unique<catalogue::FeedLock>(path));
      if (!locks.back()->ok()) return {false, locks.back()->error()};
    }
    const auto tvNow = tv_->feed().rebase(tvStations_);
    const auto radioNow = radio_->feed().rebase(radioStations_);
    if (tvNow.reread) tv_->adoptLoad(tvNow.load);
    if (radioNow.reread) radio_->adoptLoad(radioNow.load);
    if (!tvNow.refusal.isEmpty() || !radioNow.refusal.isEmpty()) {
      result = {false, tvNow.refusal.isEmpty() ? radioNow.refusal : tvNow.refusal};
    } else {
      catalogue::TvStations newTv = tv(tvStations_);
      catalogue::RadioStations newRadio = radio(radioStations_);
      result = writeBoth(newTv, newRadio);
      if (result.ok) {
        tv_->feed().written();
        radio_->feed().written();
        tvStations_ = std::move(newTv);
        radioStations_ = std::move(newRadio);
      }
    }
  }
  RefreshLists();
  return result;
}

QString StationBrowser::changeRefusal() const {
  const QString tv = tv_->changeRefusal();
  return tv.isEmpty() ? radio_->changeRefusal() : tv;
}

}  // namespace browser

#include "moc_stationbrowser.cpp"
