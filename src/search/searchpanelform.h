#pragma once

#include <QWidget>

#include "platform/services.h"

namespace search {

// The content of the "Wyszukiwarka" category.
class SearchPanelForm final : public QWidget {
  Q_OBJECT
 public:
  SearchPanelForm(QWidget* host, platform::Services services, QWidget* mainWindow);

  // The category list's handlers that act on this panel.
  void CategorySelectSelectItem(int itemIndex, bool selected);

 private:
  platform::Services services_;
  QWidget* mainWindow_;
};

}  // namespace search
