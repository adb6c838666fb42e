#pragma once

#include <QWidget>
#include <array>

#include "browser/listbox.h"

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {
class TvPanelForm;
class FmPanelForm;
}  // namespace Ui

namespace browser {

// The controls one browser panel's handlers work with; the radio panel has no schedule button.
struct PanelControls {
  ListBox* regionList;
  ListBox* stationList;
  QPushButton* addButton;
  QPushButton* editButton;
  QPushButton* deleteButton;
  QPushButton* copyButton;
  QLineEdit* nameLine;
  QLineEdit* classificationLine;
  QLineEdit* encodingLine;
  QPushButton* wwwButton;
  QPushButton* scheduleButton;  // nullptr in the radio panel
  QPushButton* startButton;
  std::array<QLabel*, 3> recentPlaces;  // the stations started last, the latest first
};

// A browser panel's form: lays out its controls at their designed places, keeps them anchored, and
// makes START the panel's default button.
class PanelForm : public QWidget {
  Q_OBJECT
 public:
  const PanelControls& controls() const { return controls_; }

 protected:
  explicit PanelForm(QWidget* host);
  // Fonts, the details strip's look, anchors and the START glyph, once the designed controls exist.
  void finishSetUp(PanelControls controls, QWidget* groupBox, QWidget* recentBox, QWidget* detailsStrip,
                   const QList<QWidget*>& recentLabels, const QList<QWidget*>& detailCaptions);
  void keyPressEvent(QKeyEvent* event) override;

 private:
  PanelControls controls_{};
};

class TvPanelForm final : public PanelForm {
  Q_OBJECT
 public:
  explicit TvPanelForm(QWidget* host);
  ~TvPanelForm() override;

 private:
  Ui::TvPanelForm* ui;
};

class FmPanelForm final : public PanelForm {
  Q_OBJECT
 public:
  explicit FmPanelForm(QWidget* host);
  ~FmPanelForm() override;

 private:
  Ui::FmPanelForm* ui;
};

}  // namespace browser
