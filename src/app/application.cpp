#include "application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>

#include "app/hintpause.h"
#include "platform/fonts.h"
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

void setUpApplication(Application& application) {
  QApplication::setApplicationName(QStringLiteral("Sieciownik"));
  QApplication::setApplicationVersion(QStringLiteral(SIECIOWNIK_VERSION));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/sieciownik.png")));
  application.installEventFilter(new HintPause(15000, &application));

  auto* qtTexts = new QTranslator(&application);
  if (qtTexts->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(qtTexts);
  platform::loadDescribedFonts();
}

}  // namespace app
