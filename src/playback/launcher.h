#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "platform/services.h"
#include "playback/recentstations.h"

class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace browser { class StationBrowser; }

namespace playback {

struct StartRoute;
class TForm5;

// START, WWW and "Ramówka" of both panels, the recent stations, the player windows.
class Launcher final : public QObject {
  Q_OBJECT
 public:
  Launcher(browser::StationBrowser& browser, platform::Services services, QObject* parent);
  // Player windows still open end with the program, their streams with them.
  ~Launcher() override;

  void BitBtn1Click();
  void BitBtn2Click();
  void Button4Click();
  void Button6Click();
  void Button14Click();
  void ListBox2DblClick();
  void ListBox4DblClick();

  // Records a started station in a panel's recent labels (places 1, 2, 3).
  void PushRecentStation(QLabel* first, QLabel* second, QLabel* third, const QString& name);

 private:
  void start(const StartRoute& route, QWidget* panel, const QString& stationName);
  void openPage(const QString& field);

  browser::StationBrowser& browser_;
  platform::Services services_;
  QCollator collator_;
  QList<QPointer<TForm5>> playerWindows_;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QLabel* Label9;
  QLabel* Label10;
  QLabel* Label11;
  QLabel* Label18;
  QLabel* Label19;
  QLabel* Label20;
};

}  // namespace playback
