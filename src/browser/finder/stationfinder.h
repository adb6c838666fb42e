#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <future>
#include <memory>

#include "browser/finder/stationindex.h"
#include "browser/panelforms.h"

class QFrame;
class QKeyEvent;
class QLineEdit;
class QListView;
class QTimer;

namespace browser {

class FinderResults;

// The finder of one browser panel: Ctrl+F, or the button above "Dodaj stację", opens a field
// („Znajdź stację”) with the stations found listed under it („Znalezione stacje”), over the panel's
// two lists. Choosing a station selects it in the panel as clicks on its region and on it would;
// Escape closes the finder and leaves everything as it was. It is made anew each time it opens and
// is gone once closed.
class StationFinder final : public QObject {
  Q_OBJECT
 public:
  using Stations = std::vector<StationIndex::Station>;
  // `stations` gives the stations the panel shows, as the index takes them.
  StationFinder(QWidget* form, const PanelControls& controls, std::function<Stations()> stations);
  ~StationFinder() override;

  void open();
  bool isOpen() const { return overlay_ != nullptr; }
  // The panel's catalogue has changed: an open finder searches it again at once; a closed one
  // indexes it on a thread of its own once it has been still for a moment, so that opening the
  // finder does not wait for tens of thousands of names to be folded.
  void catalogueChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void close(bool restoreFocus);
  void search();
  void choose(int row);
  bool keyPressed(QObject* watched, const QKeyEvent* key);
  void place();
  void placeButton();
  void prepareIndex();
  // Takes back the index prepared on the side, if any.
  void takePreparedIndex();

  QWidget* form_;
  PanelControls c_;
  std::function<Stations()> stations_;
  std::unique_ptr<StationIndex> index_;  // nullptr until first made, and while it is being prepared
  bool indexCurrent_ = false;
  int changes_ = 0;  // of the catalogue, so a prepared index knows whether it is still current
  QTimer* prepareTimer_;
  std::future<std::unique_ptr<StationIndex>> preparing_;
  int preparedAt_ = 0;  // changes_ when the stations being indexed were taken
  FinderResults* results_;
  QPushButton* button_;
  QPointer<QFrame> overlay_;
  QLineEdit* field_ = nullptr;
  QListView* list_ = nullptr;
  QPointer<QWidget> focusBefore_;
};

}  // namespace browser
