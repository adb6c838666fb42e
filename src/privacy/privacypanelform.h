#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "platform/services.h"

class QCheckBox;
class QPushButton;

namespace Ui { class PrivacyPanelForm; }

namespace privacy {

class PrivacyCtl;
class TForm1;

// Shown after a run that left running browsers alone; %1 names them.
extern const QString SkippedBrowsersText;

// The content of the "Prywatność" category: the two groups of cleaning actions with their
// "Wykonaj!" buttons, and the seven options mirrored from the settings store.
class PrivacyPanelForm final : public QWidget {
  Q_OBJECT
 public:
  PrivacyPanelForm(QWidget* host, platform::Services services, QWidget* mainWindow, PrivacyCtl& privacy);
  ~PrivacyPanelForm() override;

  // Main window creation: read the seven options, then attach their handlers.
  void ReadOptions();
  // Start-up: the busy note TForm1, created right after the main window.
  void CreateBusyNote();
  TForm1* BusyNote() const { return busyNote_; }

  void Button1Click();
  void Button2Click();
  void CheckBox9Click();
  void CheckBox10Click();
  void CheckBox11Click();
  void CheckBox12Click();
  void CheckBox13Click();
  void CheckBox14Click();
  void CheckBox15Click();

 private:
  struct Step {
    QCheckBox* box;
    QString status;
    void (PrivacyCtl::*run)();
  };
  void runSteps(QPushButton* button, void (PrivacyPanelForm::*handler)(), const std::vector<Step>& steps);
  void writeOption(QCheckBox* box, void (PrivacyCtl::*writer)(bool));

  Ui::PrivacyPanelForm* ui;
  platform::Services services_;
  QWidget* mainWindow_;
  PrivacyCtl& privacy_;
  TForm1* busyNote_ = nullptr;
  std::vector<Step> internetSteps_;
  std::vector<Step> systemSteps_;
};

}  // namespace privacy
