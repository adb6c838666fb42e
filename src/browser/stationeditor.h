#pragma once

#include <QCollator>
#include <QDialog>
#include <vector>

#include "browser/stationcheck.h"
#include "catalogue/stationchange.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace platform { class MessageBoxes; }

namespace browser {

// What the TV and radio editor dialogs share: the fixed frame, the region box, the OK checks and
// showing the dialog centred over the main window.
class StationEditor : public QDialog {
  Q_OBJECT
 public:
  // The index the dialog was last opened for; -1 for a new station.
  int EditedIndex = -1;

  void Button1Click();

 protected:
  // A radio button or check box of the dialog and the bit of the station it stands for.
  struct FlagControl {
    QAbstractButton* button;
    quint8 mask;
  };
  // Which control shows which field or bit of a station.
  struct Fields {
    QLineEdit* name;
    QComboBox* region;
    QLineEdit* www;
    QLineEdit* scheduleWww;  // nullptr in the radio dialog
    QLineEdit* streamUrl;
    QLineEdit* quality;
    QPushButton* ok;
    QPushButton* cancel;
    // One radio button a player kind; the last one also shows any value no other one has.
    std::vector<FlagControl> playerKinds;
    std::vector<FlagControl> categories;
    QCheckBox* live;  // nullptr in the radio dialog
  };
  StationEditor(QWidget* mainWindow, platform::MessageBoxes& boxes);
  // Once the designed controls exist: the dialog's font and frame, the region box, the buttons.
  void finishSetUp(const Fields& fields, const QFont& font);
  // Whether another station than the one being edited has this name in the region.
  virtual bool nameTaken(const QString& name, qint32 regionId) const = 0;
  // Whether the name and region are those of the station the dialog was opened for: the array may
  // be read anew from disk while the dialog is open, so its index may no longer point at it.
  bool isOpenedStation(const QString& name, qint32 regionId) const;
  // Opens the dialog for stations[index], or for `fresh` in the region row `freshRegionRow` when
  // index is -1. On OK the station added, or the station as it was and as it is now; on cancel
  // nothing.
  template <class Station>
  catalogue::StationChange<Station> editStation(const std::vector<Station>& stations, int index, const Station& fresh,
                                                int freshRegionRow);

  QCollator names_;

 private:
  void FormCreate();
  template <class Station>
  void showStation(const Station& station);
  template <class Station>
  Station storedStation() const;
  // Name field active, centred over the main window, modal. True for OK.
  bool showCentred();
  // The Id of the region chosen in the region box.
  qint32 chosenRegionId() const;

  QWidget* mainWindow_;
  platform::MessageBoxes& boxes_;
  Fields f_{};
  QString openedName_;
  qint32 openedRegionId_ = 0;
};

}  // namespace browser
