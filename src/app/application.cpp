#include "application.h"

#include <exception>

#include "platform/messageboxes.h"

namespace app {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    if (boxes_ == nullptr) throw;
    boxes_->showGeneralError(activeWindow(), QString::fromUtf8(error.what()));
    return false;
  }
}

}  // namespace app
