#pragma once

#include <QWidget>

#include "platform/services.h"

class QRadioButton;

namespace Ui { class SearchPanelForm; }

namespace search {

// The content of the "Wyszukiwarka" category: the query, the ten search kinds, and the hand-over
// of the built address to the desktop's web browser.
class SearchPanelForm final : public QWidget {
  Q_OBJECT
 public:
  SearchPanelForm(QWidget* host, platform::Services services, QWidget* mainWindow);
  ~SearchPanelForm() override;

  // The category list's handlers that act on this panel: selecting "Wyszukiwarka" (or entering
  // the list while it is selected) resets the kind to "WWW" and puts the focus on the query.
  void CategorySelectSelectItem(int itemIndex, bool selected);

  void Button3Click();
  // The kinds' handlers run whenever their button becomes checked, by the user or the program.
  void RadioButton1Click();
  void RadioButton7Click();
  void RadioButton9Click();
  void Edit2Enter();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void runOnCheck(QRadioButton* button, void (SearchPanelForm::*handler)());

  Ui::SearchPanelForm* ui;
  platform::Services services_;
};

}  // namespace search
