#pragma once

#include <QWidget>
#include <functional>
#include <memory>

#include "browser/stationbrowser.h"
#include "platform/connection.h"
#include "platform/services.h"

class QKeyEvent;
class QListWidgetItem;
class QTimer;
class QUrl;

namespace Ui { class TMainForm; }
namespace browser { class StationBrowser; }
namespace playback { class Launcher; }
namespace search { class SearchPanelForm; }
namespace privacy { class PrivacyPanelForm; class PrivacyCtl; }

namespace app {

class UpdateController;

// What the main window takes from the program's start: the platform services and the few things
// tests replace (the connection lookup, the banner's browser, the program's folder).
struct MainFormEnvironment {
  platform::Services services;
  std::function<platform::ConnectedQuery()> lookupConnectedQuery;
  // Loads the banner page in the strip; an empty page (offline, or no banner) empties the strip.
  std::function<void(QWidget* bannerStrip, const QUrl& page)> loadBanner;
  QString programFolder;  // the catalogues' folder, ends with a separator
  privacy::PrivacyCtl& privacy;  // the privacy module, started before the main window
  QString helpPage;  // the program's own help page, where it was installed
  browser::FeedReads feedReads{};  // of programFolder, when they were started before the window
};

// The one main window: banner strip, category list and header, the four content panels (each
// owned by its subsystem), and the bottom bar.
class TMainForm final : public QWidget {
  Q_OBJECT
 public:
  explicit TMainForm(MainFormEnvironment environment);
  ~TMainForm() override;

  // The windows created after the main window, in their order.
  void CreateSecondaryWindows();

  browser::StationBrowser& stationBrowser() { return *browser_; }
  QTimer& bannerTimer() { return *BannerTimer; }

  void CategorySelectChange(QListWidgetItem* item);
  void CloseButtonClick();
  void HelpButtonClick();
  void Label30Click();
  void UpdateButtonClick();
  void BannerTimerTimer();

 Q_SIGNALS:
  // The window has been painted for the first time; the banner's timer runs from now on.
  void firstPainted();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormCreate();
  void FormPaint();
  void setUpAnchors();
  void setUpTabOrder();
  void placeAtScreenCentre();
  // Selects the category `step` rows on, round from the last to the first and back.
  void chooseNeighbourCategory(int step);

  Ui::TMainForm* ui;
  MainFormEnvironment environment_;
  platform::ConnectedQuery InternetConnectedQuery;
  QTimer* BannerTimer;
  bool paintHandlerAttached_ = true;
  bool producerPressed_ = false;
  browser::StationBrowser* browser_ = nullptr;
  playback::Launcher* launcher_ = nullptr;
  search::SearchPanelForm* search_ = nullptr;
  privacy::PrivacyPanelForm* privacy_ = nullptr;
  QWidget* updateWindow_ = nullptr;
  UpdateController* updater_ = nullptr;
};

}  // namespace app
