#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

#include "browser/panelforms.h"

class QFrame;
class QKeyEvent;
class QLineEdit;
class QListView;

namespace browser {

class FinderResults;
class StationIndex;

// The finder of one browser panel: Ctrl+F, or the button above "Dodaj stację", opens a field
// („Znajdź stację”) with the stations found listed under it („Znalezione stacje”), over the panel's
// two lists. Choosing a station selects it in the panel as clicks on its region and on it would;
// Escape closes the finder and leaves everything as it was. It is made anew each time it opens and
// is gone once closed.
class StationFinder final : public QObject {
  Q_OBJECT
 public:
  // `reindex` fills the index from the stations the panel shows.
  StationFinder(QWidget* form, const PanelControls& controls, std::function<void(StationIndex&)> reindex);
  ~StationFinder() override;

  void open();
  bool isOpen() const { return overlay_ != nullptr; }
  // The panel's catalogue has changed: an open finder searches it again at once, a closed one when
  // it next opens.
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

  QWidget* form_;
  PanelControls c_;
  std::function<void(StationIndex&)> reindex_;
  std::unique_ptr<StationIndex> index_;  // nullptr until the finder first opens
  bool indexCurrent_ = false;
  FinderResults* results_;
  QPushButton* button_;
  QPointer<QFrame> overlay_;
  QLineEdit* field_ = nullptr;
  QListView* list_ = nullptr;
  QPointer<QWidget> focusBefore_;
};

}  // namespace browser
