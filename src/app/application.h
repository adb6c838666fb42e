#pragma once

#include <QApplication>

namespace platform { class MessageBoxes; }

namespace app {

// The application object. An error that escapes an event handler ends that handler only: it is
// shown in the general error box (the error's text, the application's title) and the program goes on.
class Application final : public QApplication {
 public:
  Application(int& argc, char** argv);

  void setErrorReport(platform::MessageBoxes* boxes) { boxes_ = boxes; }
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  platform::MessageBoxes* boxes_ = nullptr;
};

// The application-wide settings made at start: title, version and icon, the 15-second tooltip
// pause, Qt's own texts in Polish and the described fonts. No display name: Qt would append it to
// every window's title ("Pytanie — Sieciownik").
void setUpApplication(Application& application);

}  // namespace app
