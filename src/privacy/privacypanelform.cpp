#include "privacypanelform.h"

namespace privacy {

PrivacyPanelForm::PrivacyPanelForm(QWidget* host, platform::Services services, QWidget* mainWindow)
    : QWidget(host), services_(services), mainWindow_(mainWindow) {}

void PrivacyPanelForm::ReadOptions() {}
void PrivacyPanelForm::CreateBusyNote() {}

}  // namespace privacy
