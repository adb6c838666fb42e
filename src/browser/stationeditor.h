#pragma once

#include <QCollator>
#include <QDialog>

#include "browser/stationcheck.h"

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
  struct Fields {
    QLineEdit* name;
    QComboBox* region;
    QLineEdit* www;
    QLineEdit* scheduleWww;  // nullptr in the radio dialog
    QLineEdit* streamUrl;
    QLineEdit* quality;
    QPushButton* ok;
    QPushButton* cancel;
  };
  StationEditor(QWidget* mainWindow, platform::MessageBoxes& boxes);
  // Once the designed controls exist: the dialog's font and frame, the region box, the buttons.
  void finishSetUp(const Fields& fields, const QFont& font);
  // Whether another station than EditedIndex of the region has this name.
  virtual bool nameTaken(const QString& name, qint32 regionId) const = 0;
  // Name field active, centred over the main window, modal. True for OK.
  bool showCentred();
  // The Id of the region chosen in the region box.
  qint32 chosenRegionId() const;
  const Fields& fields() const { return f_; }

  QCollator names_;

 private:
  void FormCreate();

  QWidget* mainWindow_;
  platform::MessageBoxes& boxes_;
  Fields f_{};
};

}  // namespace browser
