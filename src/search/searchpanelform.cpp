#include "searchpanelform.h"

namespace search {

SearchPanelForm::SearchPanelForm(QWidget* host, platform::Services services, QWidget* mainWindow)
    : QWidget(host), services_(services), mainWindow_(mainWindow) {}

void SearchPanelForm::CategorySelectSelectItem(int, bool) {}

}  // namespace search
